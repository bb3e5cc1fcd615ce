// The item popup menus of the seven pages and the tray menu. Each is a small popup built from
// its skin that posts its command to the main window and closes.
#ifndef UI_POPUP_MENUS_H_
#define UI_POPUP_MENUS_H_

#include <QPoint>

#include "jobs/page_kind.h"
#include "ui/framework/window_impl_base.h"

namespace ui {

// "open-dir" and "remove-file" for one item, opening to the left of the point.
class ItemPopMenu : public WindowImplBase {
  Q_OBJECT

 public:
  // `owner` receives WM_ITEM_OPEN_DIR / WM_ITEM_REMOVE; `button` is the item's menu button,
  // whose tag is the item number.
  ItemPopMenu(jobs::PageKind page, WindowImplBase* owner, QWidget* button);
  // Creates, places and shows the menu; it deletes itself when it closes. Nothing happens
  // without a button.
  static ItemPopMenu* ShowAt(jobs::PageKind page, WindowImplBase* owner, QWidget* button, QPoint point);

 protected:
  QString GetSkinFile() const override;
  QString GetWindowClassName() const override { return "ItemPopMenu"; }
  void Notify(const Notification& notification) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  jobs::PageKind page_;
  WindowImplBase* owner_;
  QWidget* button_;
};

// The skin file of a page's popup menu ("ExtractPopMenu.xml" …).
QString PopMenuSkin(jobs::PageKind page);

class CMainTaskMenu : public WindowImplBase {
  Q_OBJECT

 public:
  explicit CMainTaskMenu(WindowImplBase* owner);
  // Creates the tray menu, places it at `point` near the work area's edge and shows it.
  static CMainTaskMenu* PlaceMenu(WindowImplBase* owner, QPoint point);

 protected:
  QString GetSkinFile() const override { return "MainTaskMenu.xml"; }
  QString GetWindowClassName() const override { return "CDuiMenu "; }
  void Notify(const Notification& notification) override;

 private:
  WindowImplBase* owner_;
};

}  // namespace ui

#endif  // UI_POPUP_MENUS_H_
