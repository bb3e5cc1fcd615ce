// The main window's messages from its menus and the tray, beside the jobs' messages.
#ifndef UI_MESSAGES_H_
#define UI_MESSAGES_H_

#include <cstdint>

#include "jobs/job_host.h"

namespace ui {

enum WindowMessage : uint32_t {
  WM_MENU_QUIT = 1234,
  WM_MENU_HOME = 1235,
  WM_MENU_HELP = 1236,
  WM_MENU_SETTINGS = 1237,
  WM_MENU_FEEDBACK = 1238,
  WM_MENU_UPGRADE = 1239,
  WM_UPGRADE_FOUND = 1240,     // the background check found a newer version: UpgradeRecord
  WM_DOWNLOAD_PROGRESS = 1241,  // DownloadProgressRecord, to the download dialog
  WM_DOWNLOAD_DONE = 1242,      // DownloadDoneRecord, to the download dialog
  WM_TRAY_NOTIFY = 1254,
  WM_ITEM_OPEN_DIR = 1374,
  WM_ITEM_REMOVE = 1381,
};

// The close reason of the tray menu's quit: it always ends the program.
constexpr uint32_t kCloseForQuit = WM_MENU_QUIT;

// A popup menu's command for one item.
struct ItemCommand : jobs::MessageRecord {
  ItemCommand(uint32_t page, uint32_t item) : page(page), item(item) {}
  uint32_t page;
  uint32_t item;
};

}  // namespace ui

#endif  // UI_MESSAGES_H_
