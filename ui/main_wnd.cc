#include "ui/main_wnd.h"

#include <glog/logging.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QUiLoader>
#include <QUrl>

#include "jobs/media_probe.h"
#include "jobs/trace.h"
#include "shell/dirs.h"
#include "shell/ini_file.h"
#include "shell/paths.h"
#include "ui/framework/desktop_services.h"
#include "ui/framework/program_end.h"
#include "ui/message_box.h"
#include "ui/messages.h"
#include "ui/popup_menus.h"
#include "ui/seting_dialog.h"
#include "ui/service_links.h"
#include "ui/upgrade_dialogs.h"

namespace ui {
namespace {

using jobs::PageKind;

const char* const kPatterns[] = {
    "*.mp3;*.aac;*.wma;*.m4a;*.ogg;*.flac;*.wav;*.mp4;*.flv;*.wmv;*.avi;*.mov;*.mkv;*.m4v;*.f4v;*.ts;*.mts;*.rm;"
    "*.rmvb;*.m3u8;*.webm;*.mpg;*.mpeg;*.asf;*.dat;*.3gp;*.3g2;*.vob;*ogv;*.divx;*.mxf",
    "*.mp3;*.aac;*.wma;*.ogg;*.m4a;*.flac;*.wav;*.3gpp;*.mp4;*.flv;*.wmv;*.avi;*.mov;*.mkv",
};
const char kAudioPatterns[] = "*.mp3;*.aac;*.wma;*.ogg;*.m4a;*.flac;*.wav;*.3gpp";

QString PatternsOf(PageKind page) {
  return page == jobs::Extract ? kPatterns[0] : page == jobs::Pitch ? kPatterns[1] : kAudioPatterns;
}

std::optional<PageKind> PageOfControl(const QString& name, const char* jobs::PageNames::*field) {
  for (int p = 0; p < jobs::kPageCount; ++p) {
    if (name == jobs::NamesOf(static_cast<PageKind>(p)).*field) return static_cast<PageKind>(p);
  }
  return std::nullopt;
}

constexpr int kRowHeight = 64;
constexpr int kNameWidth = 360;

// Styles that depend on dynamic properties are applied again after the property changes.
void Repolish(QWidget* widget) {
  widget->style()->unpolish(widget);
  widget->style()->polish(widget);
}

// An empty list shows its empty-state picture.
void ShowEmptyState(QListWidget* list) {
  list->setProperty("empty", list->count() == 0);
  Repolish(list);
}

}  // namespace

CMainWnd::CMainWnd(jobs::JobEnvironment env, bool upgrade_check)
    : WindowImplBase(nullptr, Qt::Window), env_(std::move(env)), start_upgrade_check_(upgrade_check) {}

CMainWnd::~CMainWnd() { controller_.reset(); }

void CMainWnd::InitWindow() {
  setWindowTitle(kTitle);
  setWindowIcon(QIcon(SkinDir() + "/icons/app.png"));
  SetUpTray();
  // Intermediate files of an earlier run are of no use now.
  shell::DeleteDirContents(shell::CreateAppDataDir("VantuVoiceSeparate/Temp"));
  controller_ = std::make_unique<jobs::JobController>(*this, poster(), env_);
  for (int p = 0; p < jobs::kPageCount; ++p) {
    if (QListWidget* list = ListOf(static_cast<PageKind>(p))) {
      list->setAcceptDrops(true);
      list->viewport()->setAcceptDrops(true);
      list->viewport()->installEventFilter(this);
      list->setSelectionMode(QAbstractItemView::NoSelection);
      ShowEmptyState(list);
    }
  }
  if (auto* high = FindControl("audio-high-pitch")) high->setVisible(GetSelectedIndex("audio-pitch-type") == 0);
  if (auto* low = FindControl("audio-low-pitch")) low->setVisible(GetSelectedIndex("audio-pitch-type") != 0);
  if (auto* slider = FindControl<QSlider>("audio-tempo-slider")) tempo_ = slider->value();
  if (start_upgrade_check_) StartUpgradeCheckThread(this);
}

void CMainWnd::SetUpTray() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  tray_ = new QSystemTrayIcon(windowIcon(), this);
  tray_->setToolTip(kTitle);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Context) {
      CMainTaskMenu::PlaceMenu(this, QCursor::pos());
    } else if (reason == QSystemTrayIcon::Trigger) {
      ShowFromTray();
    }
  });
  tray_->show();
}

void CMainWnd::ShowFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void CMainWnd::Notify(const Notification& n) {
  const QString name = n.senderName();
  if (n.type == "click") {
    if (name == "feedback") {
      OpenFeedback(this);
    } else if (name == "help") {
      OpenHelp();
    } else if (name == "seting") {
      SetingDialog::Open(this);
    } else if (name == "add-cover-btn") {
      ChooseCover();
    } else if (auto page = PageOfControl(name, &jobs::PageNames::add_button)) {
      AddFiles(*page);
    } else if (auto start = PageOfControl(name, &jobs::PageNames::start_button)) {
      StartItem(*start, n.tag());
    } else if (auto menu = PageOfControl(name, &jobs::PageNames::menu_button)) {
      ItemPopMenu::ShowAt(*menu, this, n.sender, n.point);
    }
  } else if (n.type == "valuechanged" && name == "audio-tempo-slider") {
    tempo_ = static_cast<QSlider*>(n.sender)->value();
    if (auto* label = FindControl<QLabel>("audio-tempo-label")) label->setText(QString("%1%").arg(tempo_));
  } else if (n.type == "selectchanged") {
    if (auto page = PageOfControl(name, &jobs::PageNames::option)) {
      if (auto* tab = FindControl<QStackedWidget>("main-tab")) tab->setCurrentIndex(*page);
    } else if (name.startsWith("compress-level-")) {
      compress_level_ = name.mid(15).toInt();
    }
  } else if (n.type == "itemselect" && name == "audio-pitch-type") {
    const bool raise = static_cast<QComboBox*>(n.sender)->currentIndex() == 0;
    if (auto* high = FindControl("audio-high-pitch")) high->setVisible(raise);
    if (auto* low = FindControl("audio-low-pitch")) low->setVisible(!raise);
  }
  WindowImplBase::Notify(n);
}

QString CMainWnd::FileFilter(PageKind page) {
  return "支持格式(" + PatternsOf(page).split(';').join(' ') + ")";
}

bool CMainWnd::AcceptsFile(PageKind page, const QString& path) {
  const QString name = QFileInfo(path).fileName();
  for (const QString& pattern : PatternsOf(page).split(';')) {
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    if (re.match(name).hasMatch()) return true;
  }
  return false;
}

void CMainWnd::AddFiles(PageKind page) {
  AddListItems(page, DesktopServices::Instance().OpenFileNames(this, FileFilter(page)));
}

void CMainWnd::AddListItems(PageKind page, const QStringList& files) {
  const bool idle = pending_adds_.empty();
  for (const QString& file : files) pending_adds_.emplace_back(page, file);
  if (idle) AddPendingSlice();
}

void CMainWnd::AddPendingSlice() {
  // A few files always at once; then more only while the slice stays short.
  constexpr int kAtOnce = 4;
  constexpr qint64 kSliceMs = 25;
  QElapsedTimer clock;
  clock.start();
  for (int added = 0; !pending_adds_.empty() && (added < kAtOnce || clock.elapsed() < kSliceMs); ++added) {
    const auto [page, file] = pending_adds_.front();
    pending_adds_.pop_front();
    AddListItem(page, file);
  }
  if (!pending_adds_.empty()) QTimer::singleShot(0, this, &CMainWnd::AddPendingSlice);
}

int32_t CMainWnd::AddListItem(PageKind page, const QString& full_path) {
  QListWidget* list = ListOf(page);
  if (!list) return -1;
  const QFileInfo info(full_path);
  const QString absolute = info.absoluteFilePath();
  jobs::TaskItem task = jobs::MakeTaskItem(absolute.toStdString(), info.exists() ? static_cast<uint64_t>(info.size()) : 0);
  jobs::Trace("tempFile.fileName: " + task.fileName);
  jobs::Trace("tempFile.filePath: " + task.filePath);
  jobs::Trace("tempFile.fullPath: " + task.fullPath);

  QByteArray& skin = element_skins_[page];
  if (skin.isEmpty()) {
    QFile file(SkinDir() + "/" + jobs::NamesOf(page).element_skin);
    if (file.open(QIODevice::ReadOnly)) skin = file.readAll();
  }
  QBuffer buffer(&skin);
  buffer.open(QIODevice::ReadOnly);
  QUiLoader loader;
  QWidget* element = loader.load(&buffer);
  if (!element) {
    LOG(ERROR) << "cannot build a list element from " << jobs::NamesOf(page).element_skin;
    return -1;
  }
  const int32_t item = counter_;
  element->setObjectName(QString::fromStdString(jobs::ElementName(item)));
  SetTag(element, item);
  if (auto* label = element->findChild<QLabel*>("fileNameLabel")) {
    const QString name = QString::fromStdString(task.fileName);
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, kNameWidth));
    label->setToolTip(absolute);
  }
  if (auto* label = element->findChild<QLabel*>("fileSizeLabel")) {
    label->setText(QString::fromStdString(jobs::FormatFileSize(static_cast<int64_t>(task.fileSize))));
  }
  if (auto* label = element->findChild<QLabel*>("durationLabel")) {
    label->setText(QString::fromStdString(jobs::FormatDurationText(jobs::ProbeMediaDuration(task.fullPath))));
  }
  for (const char* button : {jobs::NamesOf(page).start_button, jobs::NamesOf(page).menu_button}) {
    if (auto* w = element->findChild<QWidget*>(button)) SetTag(w, item);
  }
  auto* row = new QListWidgetItem(list);
  row->setSizeHint(QSize(0, kRowHeight));
  list->setItemWidget(row, element);
  ShowEmptyState(list);
  WireControls(element);
  tasks_[item] = std::move(task);
  ++counter_;
  return item;
}

void CMainWnd::StartItem(PageKind page, int32_t item) {
  // The controller refuses a second separation with the busy prompt.
  const auto it = tasks_.find(item);
  if (it == tasks_.end()) return;
  controller_->StartItem(page, item, it->second);
}

void CMainWnd::RemoveItem(PageKind page, int32_t item) {
  QListWidget* list = ListOf(page);
  if (!list) return;
  for (int row = 0; row < list->count(); ++row) {
    QWidget* element = list->itemWidget(list->item(row));
    if (element && TagOf(element) == item) {
      delete list->takeItem(row);
      element->deleteLater();
      ShowEmptyState(list);
      return;
    }
  }
}

QListWidget* CMainWnd::ListOf(PageKind page) const { return FindControl<QListWidget>(jobs::NamesOf(page).list); }

QWidget* CMainWnd::FindElement(PageKind page, int32_t item) const {
  QListWidget* list = ListOf(page);
  if (!list) return nullptr;
  for (int row = 0; row < list->count(); ++row) {
    QWidget* element = list->itemWidget(list->item(row));
    if (element && TagOf(element) == item) return element;
  }
  return nullptr;
}

QWidget* CMainWnd::ItemControl(const std::string& list, int32_t item, const std::string& control) const {
  const auto page = PageOfControl(QString::fromStdString(list), &jobs::PageNames::list);
  QWidget* element = page ? FindElement(*page, item) : nullptr;
  return element ? element->findChild<QWidget*>(QString::fromStdString(control)) : nullptr;
}

std::string CMainWnd::GetText(const std::string& control) {
  QWidget* w = FindControl(QString::fromStdString(control));
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText().trimmed().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  return {};
}

int CMainWnd::GetSelectedIndex(const std::string& control) {
  auto* combo = FindControl<QComboBox>(QString::fromStdString(control));
  return combo ? combo->currentIndex() : 0;
}

void CMainWnd::SetItemVisible(const std::string& list, int32_t item, const std::string& control, bool visible) {
  if (QWidget* w = ItemControl(list, item, control)) w->setVisible(visible);
}

void CMainWnd::SetItemEnabled(const std::string& list, int32_t item, const std::string& control, bool enabled) {
  if (QWidget* w = ItemControl(list, item, control)) w->setEnabled(enabled);
}

void CMainWnd::SetItemProgress(const std::string& list, int32_t item, const std::string& control, int percent) {
  if (auto* bar = qobject_cast<QProgressBar*>(ItemControl(list, item, control))) bar->setValue(percent);
}

void CMainWnd::SetItemToolTip(const std::string& list, int32_t item, const std::string& control,
                              const std::string& text) {
  if (QWidget* w = ItemControl(list, item, control)) w->setToolTip(QString::fromStdString(text));
}

void CMainWnd::ShowPrompt(const std::string& text) { PromptBoxDialog::Show(this, QString::fromStdString(text)); }

void CMainWnd::OnItemFinished(const jobs::FinishedRecord& record) {
  const auto page = static_cast<PageKind>(record.page);
  if (QWidget* element = FindElement(page, record.item)) {
    element->setProperty("state", record.success ? "done" : "failed");
    Repolish(element);
    element->setToolTip(QString::fromStdString(record.success ? record.output : record.cause));
  }
  emit itemFinished(record.item, record.success);
}

void CMainWnd::ChooseCover() {
  const QString file = DesktopServices::Instance().OpenFileName(this, "支持格式(*.jpg *.png *.bmp)");
  if (file.isEmpty()) return;
  if (auto* edit = FindControl<QLineEdit>("cover-edit")) edit->setText(file);
}

void CMainWnd::OpenHelp() { DesktopServices::Instance().OpenUrl(HelpPageUrl()); }

void CMainWnd::HandleCustomMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record, bool& handled) {
  handled = true;
  switch (message) {
    case WM_MENU_QUIT:
      CloseFor(kCloseForQuit);
      return;
    case WM_MENU_HOME:
      ShowFromTray();
      return;
    case WM_MENU_HELP:
      OpenHelp();
      return;
    case WM_MENU_SETTINGS:
      ShowFromTray();
      SetingDialog::Open(this);
      return;
    case WM_MENU_FEEDBACK:
      ShowFromTray();
      OpenFeedback(this);
      return;
    case WM_MENU_UPGRADE:
      CheckUpgradeNow(this);
      return;
    case WM_UPGRADE_FOUND:
      if (auto* found = dynamic_cast<UpgradeRecord*>(record.get())) ShowUpgradeOffer(this, found->result);
      return;
    case WM_ITEM_OPEN_DIR: {
      auto* command = dynamic_cast<ItemCommand*>(record.get());
      if (command && tasks_.count(static_cast<int32_t>(command->item))) {
        DesktopServices::Instance().OpenUrl(QUrl::fromLocalFile(QString::fromStdString(env_.output_dir())));
      }
      return;
    }
    case WM_ITEM_REMOVE: {
      auto* command = dynamic_cast<ItemCommand*>(record.get());
      if (command && command->page < static_cast<uint32_t>(jobs::kPageCount)) {
        RemoveItem(static_cast<PageKind>(command->page), static_cast<int32_t>(command->item));
      }
      return;
    }
    default:
      handled = controller_ && controller_->HandleMessage(message, std::move(record));
  }
}

bool CMainWnd::OnClose(uint32_t reason) {
  if (reason == kCloseForQuit) return true;
  const int setting =
      shell::ReadIniInt(shell::kConfigSection, shell::kKeyWindowClose, 0, shell::GetConfigIniPath());
  if (setting != 0) {
    showMinimized();
    return false;
  }
  return true;
}

void CMainWnd::OnDestroy() {
  if (tray_) tray_->hide();
  // Running jobs are stopped: their children killed, their threads joined.
  controller_.reset();
}

void CMainWnd::OnFinalMessage() { EndProgram(0); }

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
  // Files dropped from the file manager onto a page's list are added as its add button would.
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
    for (int p = 0; p < jobs::kPageCount; ++p) {
      const auto page = static_cast<PageKind>(p);
      QListWidget* list = ListOf(page);
      if (!list || watched != list->viewport()) continue;
      auto* drop = static_cast<QDropEvent*>(event);
      if (!drop->mimeData()->hasUrls()) return false;
      if (event->type() != QEvent::Drop) {
        drop->acceptProposedAction();
        return true;
      }
      QStringList files;
      for (const QUrl& url : drop->mimeData()->urls()) {
        if (url.isLocalFile() && AcceptsFile(page, url.toLocalFile())) files << url.toLocalFile();
      }
      AddListItems(page, files);
      drop->acceptProposedAction();
      return true;
    }
  }
  return WindowImplBase::eventFilter(watched, event);
}

}  // namespace ui
