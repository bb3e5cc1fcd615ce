// A soft drop shadow behind a caption-less window: a transparent, click-through window of its
// own, painted from the shadow bitmap and following its parent as it moves, resizes, shows and
// hides.
#ifndef UI_WND_SHADOW_H_
#define UI_WND_SHADOW_H_

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/shadow_bitmap.h"

namespace ui {

class CWndShadow : public QObject {
  Q_OBJECT

 public:
  CWndShadow();
  ~CWndShadow() override;
  CWndShadow(const CWndShadow&) = delete;
  CWndShadow& operator=(const CWndShadow&) = delete;

  // Starts following `parent`; the shadow shows while the parent is visible and neither
  // minimised nor maximised.
  void Create(QWidget* parent);
  void SetSize(int size);
  void SetPosition(int x, int y);
  void SetColor(const QColor& color);
  // Rebuilds the bitmap from the parent's shape (its mask, or its whole rectangle) and places it.
  void Update();

  QWidget* window() const { return window_.get(); }
  const QImage& image() const { return image_; }
  const ShadowParams& params() const { return params_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();
  void ShowShadow();

  QPointer<QWidget> parent_;
  std::unique_ptr<QWidget> window_;
  ShadowParams params_;
  QImage image_;
};

}  // namespace ui

#endif  // UI_WND_SHADOW_H_
