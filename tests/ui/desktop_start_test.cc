// The desktop program's start: files on its command line, a later start handing its files to
// the running window or to a first start of the program, and help and version without a display.
#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QStackedWidget>
#include <QThread>
#include <filesystem>

#include "shell/paths.h"
#include "shell/single_instance.h"
#include "tests/ui/ui_fixture.h"
#include "ui/second_start.h"
#include "ui/upgrade_dialogs.h"

namespace ui_test {
namespace {

const QString kProgram = QString(VANTU_BIN_DIR) + "/VantuVoiceSeparate";

struct ProgramRun {
  int exit_code = -1;  // -1 when it did not end normally in time
  QString output;
};

QStringList ListedNames(QListWidget* list) {
  QStringList names;
  for (int row = 0; row < list->count(); ++row) {
    if (auto* label = list->itemWidget(list->item(row))->findChild<QLabel*>("fileNameLabel")) names << label->text();
  }
  return names;
}

class DesktopStartTest : public UiTest {
 protected:
  // Runs the desktop program while this process keeps serving its own events, so that it can be
  // the running copy that the program talks to.
  static ProgramRun RunDesktop(const QStringList& args, const QProcessEnvironment& env, const QString& working_dir = {}) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!working_dir.isEmpty()) process.setWorkingDirectory(working_dir);
    process.start(kProgram, args);
    WaitFor([&process] { return process.state() == QProcess::NotRunning; }, 30000);
    ProgramRun run;
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
      run.exit_code = process.exitCode();
    }
    run.output = QString::fromUtf8(process.readAll());
    return run;
  }

  // The lock a running copy holds, so the program started by a test is a later start.
  shell::InstanceLock lock_{shell::CreateAppDataDir("VantuVoiceSeparate") + "/instance.lock"};
};

// Only files the separation page takes join its list, a folder's media files after the files
// named directly, and that page is shown.
TEST_F(DesktopStartTest, LaterStartHandsItsFilesToTheRunningWindowAndEndsWithZero) {
  ASSERT_TRUE(lock_.acquired());
  Make("relative song.mp3", {"-f", "lavfi", "-i", "sine=d=1"});
  const std::string clip = Make("clip.mp4", {"-f", "lavfi", "-i", "sine=d=1"});
  testing_support::WriteFiles(dir_.path(), {"notes.txt", "album/cover.txt"}, "not media");
  Make("album/track.mp3", {"-f", "lavfi", "-i", "sine=d=1"});
  // While no window listens, files that nobody took are not reported as opened.
  const ProgramRun unheard = RunDesktop({QString::fromStdString(clip)}, QProcessEnvironment::systemEnvironment());
  EXPECT_EQ(unheard.exit_code, 1);
  EXPECT_TRUE(unheard.output.contains("not opened")) << unheard.output.toStdString();

  ASSERT_NE(ui::ListenForLaterStarts(QString::fromStdString(shell::InstanceSocketName()), window_.get()), nullptr);
  qobject_cast<QAbstractButton*>(Control("audio-tempo"))->setChecked(true);
  window_->showMinimized();
  const ProgramRun run = RunDesktop({"relative song.mp3", "notes.txt", "album", "gone.mp3", QString::fromStdString(clip)},
                                    QProcessEnvironment::systemEnvironment(), QString::fromStdString(dir_.path()));
  EXPECT_EQ(run.exit_code, 0) << run.output.toStdString();
  ASSERT_TRUE(WaitFor([&] { return !window_->AddingFiles(); }));
  EXPECT_EQ(ListedNames(window_->ListOf(jobs::Extract)), QStringList({"relative song.mp3", "clip.mp4", "track.mp3"}));
  EXPECT_EQ(window_->ListOf(jobs::Tempo)->count(), 0);
  EXPECT_EQ(window_->tasks().begin()->second.fullPath, dir_.File("relative song.mp3"));
  EXPECT_EQ(qobject_cast<QStackedWidget*>(Control("main-tab"))->currentIndex(), 0);
  EXPECT_FALSE(window_->isMinimized());

  // Without files a later start only brings the window forward.
  EXPECT_EQ(RunDesktop({}, QProcessEnvironment::systemEnvironment()).exit_code, 0);
  EXPECT_EQ(window_->ListOf(jobs::Extract)->count(), 3);
}

// The program itself as the first start, with a home of its own: it listens, and a second start
// hands it a file and ends.
TEST_F(DesktopStartTest, ASecondStartOfTheProgramHandsItsFileToTheFirstAndEnds) {
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
  first.start(kProgram);
  ASSERT_TRUE(first.waitForStarted());
  const std::string log_dir = dir_.File("data/VantuVoiceSeparate/Log");
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(log_dir) && !std::filesystem::is_empty(log_dir); }, 20000));
  QThread::msleep(500);

  const std::string song = Make("song.mp3", {"-f", "lavfi", "-i", "sine=d=1"});
  EXPECT_EQ(RunDesktop({QString::fromStdString(song)}, env).exit_code, 0);
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

TEST_F(DesktopStartTest, HelpAndVersionNeedNoDisplayAndUnknownOptionsAreRefused) {
  QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
  headless.remove("DISPLAY");
  headless.remove("WAYLAND_DISPLAY");
  headless.insert("QT_QPA_PLATFORM", "xcb");
  const ProgramRun help = RunDesktop({"--help"}, headless);
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.output.startsWith("Usage: VantuVoiceSeparate")) << help.output.toStdString();
  const ProgramRun version = RunDesktop({"song.mp3", "-v"}, headless);
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.output, QString("VantuVoiceSeparate %1\n").arg(ui::kAppVersion));

  const ProgramRun bogus = RunDesktop({"--bogus"}, QProcessEnvironment::systemEnvironment());
  EXPECT_EQ(bogus.exit_code, 2);
  EXPECT_TRUE(bogus.output.contains("unknown option '--bogus'")) << bogus.output.toStdString();
  EXPECT_EQ(window_->ListOf(jobs::Extract)->count(), 0);
}

}  // namespace
}  // namespace ui_test
