#include "ui/seting_dialog.h"

#include <fcntl.h>
#include <unistd.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QUrl>

#include "shell/ini_file.h"
#include "shell/paths.h"
#include "ui/framework/desktop_services.h"
#include "ui/message_box.h"

namespace ui {

bool FolderIsWritable(const QString& folder) {
  const std::string probe = (folder + "/VantuVoiceSeparateTmp").toStdString();
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

SetingDialog::SetingDialog(QWidget* owner) : WindowImplBase(owner, Qt::Dialog) {}

void SetingDialog::Open(QWidget* owner) {
  SetingDialog dialog(owner);
  dialog.Create();
  dialog.CenterWindow();
  dialog.ShowModal();
}

void SetingDialog::InitWindow() {
  if (auto* edit = FindControl<QLineEdit>("output-dir")) {
    edit->setText(QString::fromStdString(shell::GetOutputDir()));
  }
  const int close = shell::ReadIniInt(shell::kConfigSection, shell::kKeyWindowClose, 0, shell::GetConfigIniPath());
  if (auto* option = FindControl<QRadioButton>(close != 0 ? "window-close-tray" : "window-close-exit")) {
    // Showing the stored choice is not a change: nothing is written for it.
    const QSignalBlocker quiet(option);
    option->setChecked(true);
  }
}

void SetingDialog::Notify(const Notification& n) {
  const QString name = n.senderName();
  if (n.type == "click" && name == "choose-dir") {
    ChooseFolder();
  } else if (n.type == "click" && name == "open-dir") {
    if (auto* edit = FindControl<QLineEdit>("output-dir")) {
      DesktopServices::Instance().OpenUrl(QUrl::fromLocalFile(edit->text()));
    }
  } else if (n.type == "selectchanged" && (name == "window-close-exit" || name == "window-close-tray")) {
    shell::WriteIniString(shell::kConfigSection, shell::kKeyWindowClose, name == "window-close-tray" ? "1" : "0",
                          shell::GetConfigIniPath());
  }
  WindowImplBase::Notify(n);
}

void SetingDialog::ChooseFolder() {
  const QString folder = DesktopServices::Instance().ExistingDirectory(this, tr("选择保存目录"));
  if (folder.isEmpty()) return;
  if (!FolderIsWritable(folder)) {
    PromptBoxDialog::Show(this, tr(kNotWritable));
    return;
  }
  if (auto* edit = FindControl<QLineEdit>("output-dir")) edit->setText(folder);
  shell::WriteIniString(shell::kConfigSection, shell::kKeyOutputDir, folder.toStdString(), shell::GetConfigIniPath());
}

}  // namespace ui
