#include "ui/popup_menus.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QRegion>
#include <QScreen>

#include "ui/framework/translucency.h"
#include "ui/menu_placement.h"
#include "ui/messages.h"

namespace ui {
namespace {

ScreenRect WorkAreaAt(QPoint point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
  return ScreenRect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

const char* const kPopSkins[jobs::kPageCount] = {"ExtractPopMenu.xml",  "PitchPopMenu.xml",   "TempoPopMenu.xml",
                                                 "SilencePopMenu.xml",  "CompressPopMenu.xml", "ReversePopMenu.xml",
                                                 "MetadataPopMenu.xml"};

// The popup's visible part lies 8 pixels inside its skin on every side.
constexpr int kPopMargin = 8;

}  // namespace

QString PopMenuSkin(jobs::PageKind page) { return kPopSkins[static_cast<int>(page)]; }

ItemPopMenu::ItemPopMenu(jobs::PageKind page, WindowImplBase* owner, QWidget* button)
    : WindowImplBase(owner, Qt::Popup), page_(page), owner_(owner), button_(button) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_TranslucentBackground, TranslucentWindowsSupported());
}

ItemPopMenu* ItemPopMenu::ShowAt(jobs::PageKind page, WindowImplBase* owner, QWidget* button, QPoint point) {
  if (!button) return nullptr;
  auto* menu = new ItemPopMenu(page, owner, button);
  menu->Create();
  const ScreenPoint at = PlacePopupMenu(ScreenPoint{point.x(), point.y()}, menu->width(), menu->height(), WorkAreaAt(point));
  menu->move(at.x, at.y);
  menu->show();
  return menu;
}

QString ItemPopMenu::GetSkinFile() const { return PopMenuSkin(page_); }

void ItemPopMenu::Notify(const Notification& n) {
  if (n.type == "click" && (n.senderName() == "open-dir" || n.senderName() == "remove-file")) {
    const auto item = static_cast<uint32_t>(TagOf(button_));
    owner_->PostMessage(n.senderName() == "open-dir" ? WM_ITEM_OPEN_DIR : WM_ITEM_REMOVE,
                        std::make_unique<ItemCommand>(static_cast<uint32_t>(page_), item));
    Close(0);
    return;
  }
  WindowImplBase::Notify(n);
}

void ItemPopMenu::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) Close(0);
  event->accept();  // every other key is swallowed
}

void ItemPopMenu::wheelEvent(QWheelEvent* event) { event->accept(); }

void ItemPopMenu::resizeEvent(QResizeEvent* event) {
  WindowImplBase::resizeEvent(event);
  if (!isMinimized()) setMask(QRegion(rect().adjusted(kPopMargin, kPopMargin, -kPopMargin, -kPopMargin)));
}

CMainTaskMenu::CMainTaskMenu(WindowImplBase* owner)
    : WindowImplBase(owner, Qt::Popup), owner_(owner) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_TranslucentBackground, TranslucentWindowsSupported());
  setWindowFlag(Qt::WindowStaysOnTopHint);
}

CMainTaskMenu* CMainTaskMenu::PlaceMenu(WindowImplBase* owner, QPoint point) {
  auto* menu = new CMainTaskMenu(owner);
  menu->Create();
  const ScreenPoint at = PlaceTrayMenu(ScreenPoint{point.x(), point.y()}, menu->width(), menu->height(), WorkAreaAt(point));
  menu->move(at.x, at.y);
  menu->show();
  menu->raise();
  menu->activateWindow();
  return menu;
}

void CMainTaskMenu::Notify(const Notification& n) {
  static const std::pair<const char*, uint32_t> kCommands[] = {
      {"main_menu_item_quit", WM_MENU_QUIT},         {"main_menu_item_home", WM_MENU_HOME},
      {"main_menu_item_feedback", WM_MENU_FEEDBACK}, {"main_menu_item_help", WM_MENU_HELP},
      {"main_menu_item_upgrade", WM_MENU_UPGRADE},   {"main_menu_item_seting", WM_MENU_SETTINGS},
  };
  if (n.type == "click") {
    for (const auto& [name, message] : kCommands) {
      if (n.senderName() == name) {
        owner_->PostMessage(message);
        Close(0);
        return;
      }
    }
  }
  WindowImplBase::Notify(n);
}

}  // namespace ui
