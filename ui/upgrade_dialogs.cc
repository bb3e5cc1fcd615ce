#include "ui/upgrade_dialogs.h"

#include <glog/logging.h>

#include <QCoreApplication>
#include <QLabel>
#include <QSlider>
#include <QUrl>

#include "net/http_client.h"
#include "ui/framework/desktop_services.h"
#include "ui/framework/program_end.h"
#include "ui/framework/translation.h"
#include "ui/message_box.h"
#include "ui/messages.h"

namespace ui {
namespace {

net::DownloadOptions& Options() {
  static net::DownloadOptions options;
  return options;
}

struct DownloadProgressRecord : jobs::MessageRecord {
  net::DownloadProgress progress;
};
struct DownloadDoneRecord : jobs::MessageRecord {
  net::DownloadResult result;
};

}  // namespace

void StartUpgradeCheckThread(WindowImplBase* window) {
  std::shared_ptr<WindowPoster> poster = window->poster();
  const std::string base = net::ServiceBaseUrl();
  // The check only asks; the offer is shown by the window on its own thread.
  std::thread([poster, base] {
    auto record = std::make_unique<UpgradeRecord>();
    record->result = net::CheckUpgrade(base, kAppVersion);
    if (record->result.kind == net::UpgradeKind::kOptional || record->result.kind == net::UpgradeKind::kForced) {
      poster->PostMessage(WM_UPGRADE_FOUND, std::move(record));
    }
  }).detach();
}

void ShowUpgradeOffer(QWidget* parent, const net::UpgradeResult& result) {
  const bool forced = result.kind == net::UpgradeKind::kForced;
  if (forced) {
    PromptBoxDialog::Show(parent, ShownText(net::kNewVersionText));
  } else if (MessageBoxDialog::Ask(parent, ShownText(net::kNewVersionText)) == 0) {
    return;
  }
  DownloadDialog dialog(parent, result.download_url, forced);
  dialog.Create();
  dialog.CenterWindow();
  dialog.ShowModal();
}

void DownloadDialog::SetOptions(const net::DownloadOptions& options) { Options() = options; }

DownloadDialog::DownloadDialog(QWidget* parent, std::string url, bool force)
    : WindowImplBase(parent, Qt::Dialog), url_(std::move(url)), force_(force) {}

DownloadDialog::~DownloadDialog() {
  cancel_requested_ = true;
  if (thread_.joinable()) thread_.join();
}

void DownloadDialog::InitWindow() {
  if (auto* slider = FindControl<QSlider>("download-slider")) {
    slider->setRange(0, 100);
    slider->setValue(0);
  }
  std::shared_ptr<WindowPoster> poster = this->poster();
  thread_ = std::thread([this, poster] {
    auto done = std::make_unique<DownloadDoneRecord>();
    done->result = net::DownloadInstaller(
        url_, cancel_requested_,
        [poster](const net::DownloadProgress& progress) {
          auto record = std::make_unique<DownloadProgressRecord>();
          record->progress = progress;
          poster->PostMessage(WM_DOWNLOAD_PROGRESS, std::move(record));
        },
        Options());
    poster->PostMessage(WM_DOWNLOAD_DONE, std::move(done));
  });
}

void DownloadDialog::Notify(const Notification& n) {
  if (n.type == "click" && n.senderName() == "cancel") cancel_requested_ = true;
  WindowImplBase::Notify(n);
}

void DownloadDialog::HandleCustomMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record,
                                         bool& handled) {
  handled = true;
  if (message == WM_DOWNLOAD_PROGRESS) {
    const auto& progress = static_cast<DownloadProgressRecord*>(record.get())->progress;
    if (auto* label = FindControl<QLabel>("download-text")) {
      label->setText(QString::fromStdString(net::ProgressLabel(progress)));
    }
    if (auto* slider = FindControl<QSlider>("download-slider"); slider && progress.percent >= 0) {
      slider->setValue(progress.percent);
    }
    return;
  }
  if (message != WM_DOWNLOAD_DONE) {
    handled = false;
    return;
  }
  const net::DownloadResult& result = static_cast<DownloadDoneRecord*>(record.get())->result;
  if (result.status != net::DownloadStatus::kComplete) {
    LOG(ERROR) << "the installer download ended early: " << (result.error.empty() ? "cancelled" : result.error);
  }
  finished_ = true;
  switch (net::DecideAfterDownload(result.status, force_)) {
    case net::AfterDownload::kOpenInstaller:
      if (DesktopServices::Instance().OpenUrl(QUrl::fromLocalFile(QString::fromStdString(result.path)))) {
        Close(1);
        EndProgram(0);
        return;
      }
      net::LogInstallerStartFailed();
      break;
    case net::AfterDownload::kEndProgram:
      Close(1);
      EndProgram(0);
      return;
    case net::AfterDownload::kCloseDialog:
      break;
  }
  Close(1);
}

bool DownloadDialog::OnClose(uint32_t) {
  // Only the end of the transfer closes the dialog; a close before that is a cancel.
  if (!finished_) {
    cancel_requested_ = true;
    return false;
  }
  return true;
}

}  // namespace ui
