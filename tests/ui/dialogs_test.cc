// The settings dialog, the message and prompt boxes, and a second start of the program.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QThread>
#include <QRadioButton>
#include <filesystem>

#include "shell/ini_file.h"
#include "shell/paths.h"
#include "tests/ui/ui_fixture.h"
#include "ui/message_box.h"
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
  EXPECT_EQ(WindowCloseSetting(), 0);
  EXPECT_FALSE(std::filesystem::exists(chosen + "/VantuVoiceSeparateTmp"));
}

TEST_F(DialogsTest, MessageBoxAnswersAndPromptBoxKeepsItsSize) {
  WhenModal([](QWidget* box) { box->findChild<QAbstractButton*>("msgConfirm")->click(); });
  EXPECT_EQ(ui::MessageBoxDialog::Ask(window_.get(), "继续?"), 1);
  WhenModal([](QWidget* box) { box->findChild<QAbstractButton*>("msgCancel")->click(); });
  EXPECT_EQ(ui::MessageBoxDialog::Ask(window_.get(), "继续?"), 0);

  QSize size;
  WhenModal([&size](QWidget* box) {
    size = box->size();
    box->findChild<QAbstractButton*>("msgConfirm")->click();
  });
  EXPECT_EQ(ui::PromptBoxDialog::Show(window_.get(), "完成"), 1);
  EXPECT_EQ(size, QSize(ui::PromptBoxDialog::kWidth, ui::PromptBoxDialog::kHeight));
}

TEST_F(DialogsTest, ASecondStartHandsItsFileToTheFirstAndEnds) {
  const QString program = QString(VANTU_BIN_DIR) + "/VantuVoiceSeparate";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", QString::fromStdString(dir_.path()));
  env.insert("XDG_DATA_HOME", QString::fromStdString(dir_.File("data")));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir_.File("config")));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  // Its upgrade check must stay on this machine.
  std::filesystem::create_directories(dir_.File("data/VantuVoiceSeparate/Config"));
  testing_support::WriteFile(dir_.File("data/VantuVoiceSeparate/Config/configure.ini"),
                             "[global]\nservice-url=http://127.0.0.1:9\n");
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(program);
  ASSERT_TRUE(first.waitForStarted());
  const std::string log_dir = dir_.File("data/VantuVoiceSeparate/Log");
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(log_dir) && !std::filesystem::is_empty(log_dir); }, 20000));
  QThread::msleep(500);

  const std::string song = Make("song.mp3", {"-f", "lavfi", "-i", "sine=d=1"});
  QProcess second;
  second.setProcessEnvironment(env);
  second.start(program, {QString::fromStdString(song)});
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);
  // The first instance heard the second.
  bool heard = false;
  WaitFor([&] {
    for (const auto& entry : std::filesystem::directory_iterator(log_dir)) {
      heard |= testing_support::ReadFile(entry.path())
                   .find("a second start asked to show the window and handed over 1 file(s)") != std::string::npos;
    }
    return heard;
  }, 10000);
  EXPECT_TRUE(heard);
  first.kill();
  first.waitForFinished();
}

}  // namespace
}  // namespace ui_test
