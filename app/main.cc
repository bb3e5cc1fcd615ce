// VantuVoiceSeparate: the desktop program. One instance per user: a later start hands its files
// to the running one, whose window comes to the front, and ends.
#include <glog/logging.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "shell/command_line.h"
#include "shell/logging.h"
#include "shell/paths.h"
#include "shell/single_instance.h"
#include "shell/ui_language.h"
#include "ui/framework/translation.h"
#include "ui/framework/window_impl_base.h"
#include "ui/main_wnd.h"
#include "ui/second_start.h"
#include "ui/upgrade_dialogs.h"

namespace {

// How long a later start waits for the running copy, which may itself be starting.
constexpr int kHandOverTimeoutMs = 5000;

std::string WorkingDir() {
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::current_path(ec);
  return ec ? std::string("/") : dir.string();
}

// Help and version need no display, so they are answered before Qt is started.
std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
  const shell::DesktopCommandLine line =
      shell::ParseDesktopCommandLine(std::vector<std::string>(argv + 1, argv + argc), WorkingDir());
  if (line.action == shell::DesktopCommandLine::kHelp) {
    std::fputs(shell::kDesktopUsage, stdout);
    return 0;
  }
  if (line.action == shell::DesktopCommandLine::kVersion) {
    std::printf("VantuVoiceSeparate %s\n", ui::kAppVersion);
    return 0;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> code = AnswerWithoutWindow(argc, argv)) return *code;

  // Past a file-size limit a write then fails with EFBIG, which the jobs report, instead of
  // the signal ending the whole program. Children start with the default again.
  signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  app.setApplicationName("VantuVoiceSeparate");
  app.setDesktopFileName("vantu-voice-separate");
  app.setQuitOnLastWindowClosed(false);

  // Qt has taken its own options (-platform …) out of the arguments by now.
  std::vector<std::string> args;
  for (const QString& arg : app.arguments().mid(1)) args.push_back(arg.toStdString());
  const shell::DesktopCommandLine line = shell::ParseDesktopCommandLine(args, WorkingDir());
  if (line.action == shell::DesktopCommandLine::kUsageError) {
    std::fprintf(stderr, "VantuVoiceSeparate: %s\nTry 'VantuVoiceSeparate --help'.\n", line.error.c_str());
    return 2;
  }
  QStringList files;
  for (const std::string& file : line.files) files << QString::fromStdString(file);

  const QString socket_name = QString::fromStdString(shell::InstanceSocketName());
  shell::InstanceLock lock(shell::CreateAppDataDir("VantuVoiceSeparate") + "/instance.lock");
  if (!lock.acquired()) {
    if (ui::HandToRunningInstance(socket_name, files, kHandOverTimeoutMs)) return 0;
    // Nothing to lose without files: the running copy simply did not show up.
    if (files.isEmpty()) return 0;
    std::fprintf(stderr, "VantuVoiceSeparate: the running program did not answer; %lld file(s) not opened\n",
                 static_cast<long long>(files.size()));
    return 1;
  }

  const std::string log_dir = shell::CreateAppDataDir("VantuVoiceSeparate/Log");
  if (!shell::LogCleanup(log_dir, shell::TodayText())) return -1;
  shell::SetUpLogging(log_dir);
  LOG(INFO) << "VantuVoiceSeparate starting";

  if (!ui::InstallTranslation(app, shell::ChooseUiLanguage())) {
    LOG(ERROR) << "the English texts cannot be loaded from " << ui::TranslationsDir().toStdString();
  }
  app.setApplicationDisplayName(ui::CMainWnd::tr(ui::CMainWnd::kTitle));

  QDir::addSearchPath("skin", ui::SkinDir());
  QFile style(ui::SkinDir() + "/style.qss");
  if (style.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(style.readAll()));
  QFont font("Noto Sans CJK SC");
  font.setPointSize(10);
  app.setFont(font);

  ui::CMainWnd window;
  try {
    window.Create();
  } catch (const std::exception& e) {
    LOG(ERROR) << "the main window could not be built: " << e.what();
    std::fprintf(stderr, "VantuVoiceSeparate: %s\n", e.what());
    return 1;
  }
  window.CenterWindow();
  window.show();
  if (!files.isEmpty()) window.OpenFiles(files);
  // Once the first events are through, the window is on screen.
  QTimer::singleShot(0, &window, [] { LOG(INFO) << "main window shown"; });

  ui::ListenForLaterStarts(socket_name, &window);
  return app.exec();
}
