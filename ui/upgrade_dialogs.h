// The upgrade check's dialogs: the offer of a newer version and the installer download.
#ifndef UI_UPGRADE_DIALOGS_H_
#define UI_UPGRADE_DIALOGS_H_

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "net/download.h"
#include "net/upgrade.h"
#include "ui/framework/program_end.h"
#include "ui/framework/window_impl_base.h"

namespace ui {

// The program's own version, sent to nobody but compared with the service's.
constexpr char kAppVersion[] = "1.2.0";

struct UpgradeRecord : jobs::MessageRecord {
  net::UpgradeResult result;
};

// Starts the silent check on a thread of its own; a newer version comes back to `window` as
// WM_UPGRADE_FOUND.
void StartUpgradeCheckThread(WindowImplBase* window);
// Offers a newer version: a notice for a forced upgrade, a question for an optional one; then
// the download dialog.
void ShowUpgradeOffer(QWidget* parent, const net::UpgradeResult& result);

class DownloadDialog : public WindowImplBase {
  Q_OBJECT

 public:
  DownloadDialog(QWidget* parent, std::string url, bool force);
  // Waits for the transfer thread, which always ends soon after a cancel.
  ~DownloadDialog() override;

  // Where the download goes (tests point it at a temporary folder) and its stall limit.
  static void SetOptions(const net::DownloadOptions& options);

 protected:
  QString GetSkinFile() const override { return "download.xml"; }
  QString GetWindowClassName() const override { return "升级下载"; }
  void InitWindow() override;
  void Notify(const Notification& notification) override;
  void HandleCustomMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record, bool& handled) override;
  bool OnClose(uint32_t reason) override;

 private:
  std::string url_;
  bool force_;
  std::atomic<bool> cancel_requested_{false};
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace ui

#endif  // UI_UPGRADE_DIALOGS_H_
