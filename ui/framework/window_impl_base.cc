#include "ui/framework/window_impl_base.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QUiLoader>
#include <QVBoxLayout>
#include <QWindow>
#include <stdexcept>

#include "shell/program_dir.h"

namespace ui {
namespace {

QString g_skin_dir;

// A numbered message and its record, on its way to a window's thread.
class MessageEvent : public QEvent {
 public:
  static QEvent::Type Kind() {
    static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kind;
  }
  MessageEvent(uint32_t message, std::unique_ptr<jobs::MessageRecord> record)
      : QEvent(Kind()), message(message), record(std::move(record)) {}
  uint32_t message;
  std::unique_ptr<jobs::MessageRecord> record;
};

}  // namespace

int Notification::tag() const { return TagOf(sender); }

int TagOf(const QWidget* widget) {
  if (!widget) return -1;
  bool ok = false;
  const int tag = widget->property("tag").toInt(&ok);
  return ok ? tag : -1;
}

void SetTag(QWidget* widget, int tag) { widget->setProperty("tag", tag); }

QString SkinDir() {
  if (!g_skin_dir.isEmpty()) return g_skin_dir;
  return QString::fromStdString(shell::DataDir()) + "skin";
}

void SetSkinDir(const QString& dir) { g_skin_dir = dir; }

void WindowPoster::PostMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record) {
  std::lock_guard<std::mutex> lock(mutex_);
  // While the lock is held the window cannot finish its destructor.
  if (window_) QCoreApplication::postEvent(window_, new MessageEvent(message, std::move(record)));
}

void WindowPoster::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = nullptr;
}

WindowImplBase::WindowImplBase(QWidget* owner, Qt::WindowFlags type)
    : QWidget(owner, type | Qt::FramelessWindowHint), poster_(std::make_shared<WindowPoster>(this)) {}

WindowImplBase::~WindowImplBase() { poster_->Detach(); }

void WindowImplBase::Create() {
  QString name = metaObject()->className();
  name = name.mid(name.lastIndexOf(':') + 1);
  QString skin;
  try {
    skin = GetSkinFile();
  } catch (const std::exception&) {
    throw std::runtime_error((name + "::GetSkinFile").toStdString());
  }
  QFile file(SkinDir() + "/" + skin);
  QUiLoader loader;
  if (!file.open(QIODevice::ReadOnly) || !(form_ = loader.load(&file, this))) {
    throw std::runtime_error((name + "::GetSkinFile: cannot load " + file.fileName()).toStdString());
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(form_);
  setMinimumSize(form_->minimumSize());
  resize(form_->size());
  WireControls(form_);
  if (QWidget* caption = FindControl("caption")) caption->installEventFilter(this);
  try {
    InitWindow();
  } catch (const std::exception&) {
    throw std::runtime_error((name + "::Init").toStdString());
  }
}

QWidget* WindowImplBase::FindControl(const QString& name) const {
  if (!form_) return nullptr;
  if (form_->objectName() == name) return form_;
  return form_->findChild<QWidget*>(name);
}

void WindowImplBase::WireControls(QWidget* root) {
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (w->property("vantu-wired").toBool()) continue;
    w->setProperty("vantu-wired", true);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { Emit("itemselect", combo); });
    } else if (auto* slider = qobject_cast<QSlider*>(w)) {
      connect(slider, &QSlider::valueChanged, this, [this, slider] { Emit("valuechanged", slider); });
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
      connect(list, &QListWidget::itemClicked, this, [this, list] { Emit("itemclick", list); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      if (button->isCheckable() || qobject_cast<QRadioButton*>(button)) {
        connect(button, &QAbstractButton::toggled, this, [this, button](bool on) {
          if (on) Emit("selectchanged", button);
        });
      } else {
        connect(button, &QAbstractButton::clicked, this, [this, button] { Emit("click", button); });
      }
    }
  }
}

void WindowImplBase::Emit(const QString& type, QWidget* sender) { Notify(Notification{type, sender, QCursor::pos()}); }

void WindowImplBase::Notify(const Notification& n) {
  if (n.type != "click") return;
  const QString name = n.senderName();
  if (name == "closebtn") {
    Close(0);
  } else if (name == "minbtn") {
    showMinimized();
  } else if (name == "maxbtn") {
    isMaximized() ? showNormal() : showMaximized();
  }
}

void WindowImplBase::HandleCustomMessage(uint32_t, std::unique_ptr<jobs::MessageRecord>, bool& handled) {
  handled = false;
}

bool WindowImplBase::OnClose(uint32_t) { return true; }

int WindowImplBase::ShowModal() {
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  modal_loop_ = &loop;
  modal_result_ = 0;
  loop.exec(QEventLoop::DialogExec);
  modal_loop_ = nullptr;
  return modal_result_;
}

void WindowImplBase::Close(int result) {
  modal_result_ = result;
  close();
}

void WindowImplBase::CloseFor(uint32_t reason) {
  close_reason_ = reason;
  close();
  close_reason_ = 0;
}

void WindowImplBase::CenterWindow() {
  QRect area;
  if (QWidget* owner = parentWidget(); owner && owner->isVisible()) {
    area = owner->window()->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
}

void WindowImplBase::PostMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record) {
  poster_->PostMessage(message, std::move(record));
}

bool WindowImplBase::event(QEvent* event) {
  if (event->type() == MessageEvent::Kind()) {
    auto* message = static_cast<MessageEvent*>(event);
    bool handled = false;
    HandleCustomMessage(message->message, std::move(message->record), handled);
    return true;
  }
  return QWidget::event(event);
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
  if (!OnClose(close_reason_)) {
    event->ignore();
    return;
  }
  event->accept();
  if (modal_loop_) modal_loop_->exit(modal_result_);
  if (!final_sent_) {
    final_sent_ = true;
    OnDestroy();
    OnFinalMessage();
  }
}

bool WindowImplBase::eventFilter(QObject* watched, QEvent* event) {
  // The caption drags the window; a double click on it maximises a window that can be.
  if (watched == FindControl("caption")) {
    // Only mouse events are QMouseEvents; the cast waits for the type check.
    const auto type = event->type();
    const bool is_mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                          type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick;
    auto* mouse = is_mouse ? static_cast<QMouseEvent*>(event) : nullptr;
    switch (mouse ? type : QEvent::None) {
      case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
          if (windowHandle() && windowHandle()->startSystemMove()) return true;
          dragging_ = true;
          drag_offset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
          return true;
        }
        break;
      case QEvent::MouseMove:
        if (dragging_) {
          move(mouse->globalPosition().toPoint() - drag_offset_);
          return true;
        }
        break;
      case QEvent::MouseButtonRelease:
        dragging_ = false;
        break;
      case QEvent::MouseButtonDblClick:
        if (FindControl("maxbtn")) isMaximized() ? showNormal() : showMaximized();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace ui
