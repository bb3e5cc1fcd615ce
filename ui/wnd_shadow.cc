#include "ui/wnd_shadow.h"

#include <QEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cstring>

#include "ui/framework/translucency.h"

namespace ui {
namespace {

class ShadowWindow : public QWidget {
 public:
  explicit ShadowWindow(const QImage* image)
      : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                             Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
        image_(image) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, *image_);
  }

 private:
  const QImage* image_;
};

bool Shadowable(const QWidget* w) { return w->isVisible() && !w->isMinimized() && !w->isMaximized(); }

}  // namespace

CWndShadow::CWndShadow() : window_(std::make_unique<ShadowWindow>(&image_)) {}

CWndShadow::~CWndShadow() {
  if (parent_) parent_->removeEventFilter(this);
}

void CWndShadow::Create(QWidget* parent) {
  // Without translucent windows the shadow would be a black frame: better none.
  if (!TranslucentWindowsSupported()) return;
  parent_ = parent;
  parent->installEventFilter(this);
  if (Shadowable(parent)) ShowShadow();
}

void CWndShadow::SetSize(int size) {
  params_.size = static_cast<std::int8_t>(std::clamp(size, -20, 20));
  if (window_->isVisible()) Update();
}

void CWndShadow::SetPosition(int x, int y) {
  params_.x_shift = static_cast<std::int8_t>(std::clamp(x, -20, 20));
  params_.y_shift = static_cast<std::int8_t>(std::clamp(y, -20, 20));
  if (window_->isVisible()) Update();
}

void CWndShadow::SetColor(const QColor& color) {
  params_.color = ShadowColor{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                              static_cast<std::uint8_t>(color.blue())};
  if (window_->isVisible()) Update();
}

void CWndShadow::Update() {
  if (!parent_) return;
  const int w = parent_->width(), h = parent_->height();
  const QRegion mask = parent_->mask();
  const ShadowBitmap bitmap = MakeShadow(
      w, h, [&mask](int x, int y) { return mask.isEmpty() || mask.contains(QPoint(x, y)); }, params_);
  const std::vector<std::uint32_t> pixels = TopDownPixels(bitmap);
  image_ = QImage(bitmap.width, bitmap.height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < bitmap.height; ++y) {
    std::memcpy(image_.scanLine(y), pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(bitmap.width),
                static_cast<size_t>(bitmap.width) * 4);
  }
  window_->resize(bitmap.width, bitmap.height);
  Place();
  window_->update();
}

void CWndShadow::Place() {
  if (!parent_) return;
  const QRect frame = parent_->frameGeometry();
  window_->move(frame.left() + params_.x_shift - params_.size, frame.top() + params_.y_shift - params_.size);
}

void CWndShadow::ShowShadow() {
  Update();
  window_->show();
  // The shadow lies behind its window.
  parent_->raise();
}

bool CWndShadow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != parent_) return false;
  switch (event->type()) {
    case QEvent::Show:
      if (Shadowable(parent_)) ShowShadow();
      break;
    case QEvent::Hide:
      window_->hide();
      break;
    case QEvent::Move:
      if (window_->isVisible()) Place();
      break;
    case QEvent::Resize:
      if (window_->isVisible()) Update();
      break;
    case QEvent::WindowStateChange:
      Shadowable(parent_) ? ShowShadow() : window_->hide();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace ui
