// The settings dialog and the prompt it shows for a folder it cannot write to.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>

#include "shell/ini_file.h"
#include "shell/paths.h"
#include "tests/ui/ui_fixture.h"
#include "ui/seting_dialog.h"

namespace ui_test {
namespace {

class DialogsTest : public UiTest {};

TEST_F(DialogsTest, SettingsStoreTheFolderAndTheCloseChoiceAtOnce) {
  const std::string chosen = dir_.File("chosen");
  std::filesystem::create_directories(chosen);
  testing_support::WriteFile(dir_.File("plain"), "x");
  desktop_.directories = {QString::fromStdString(dir_.File("plain/below")), QString::fromStdString(chosen)};
  shell::WriteIniString(shell::kConfigSection, shell::kKeyWindowClose, "7", shell::GetConfigIniPath());

  QString refused;
  WhenModal([&](QWidget* settings) {
    // Opened with the stored choices: a non-zero setting selects the tray option.
    EXPECT_TRUE(settings->findChild<QRadioButton*>("window-close-tray")->isChecked());
    EXPECT_EQ(settings->findChild<QLineEdit*>("output-dir")->text().toStdString(), out_dir_);
    WhenModal([&, settings](QWidget* prompt) {
      refused = prompt->findChild<QLabel*>("msgText")->text();
      prompt->findChild<QAbstractButton*>("msgConfirm")->click();
      // The second choice is writable: stored, and no probe file is left in it.
      settings->findChild<QAbstractButton*>("choose-dir")->click();
      settings->findChild<QRadioButton*>("window-close-exit")->setChecked(true);
      settings->findChild<QAbstractButton*>("closebtn")->click();
    });
    settings->findChild<QAbstractButton*>("choose-dir")->click();
  });
  qobject_cast<QAbstractButton*>(Control("seting"))->click();

  EXPECT_EQ(refused, Shown("该目录没有写入权限!", "This folder cannot be written to!"));
  EXPECT_EQ(shell::ReadIniString(shell::kConfigSection, shell::kKeyOutputDir, "", shell::GetConfigIniPath()), chosen);
  EXPECT_EQ(shell::ReadIniInt(shell::kConfigSection, shell::kKeyWindowClose, -1, shell::GetConfigIniPath()), 0);
  EXPECT_FALSE(std::filesystem::exists(chosen + "/VantuVoiceSeparateTmp"));
}

}  // namespace
}  // namespace ui_test
