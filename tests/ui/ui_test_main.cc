#include <glog/logging.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jobs/child_process.h"
#include "jobs/tool_locator.h"

#include "tests/support/hang_watchdog.h"
#include "tests/ui/ui_fixture.h"
#include "shell/ui_language.h"
#include "ui/framework/program_end.h"
#include "ui/framework/translation.h"
#include "ui/framework/window_impl_base.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing_support::InstallHangWatchdog(std::chrono::seconds(300));
  // The home and the configuration must be ours before anything reads them.
  const std::string home = ui_test::Home().path();
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // A session bus of our own, where a test plays the desktop's notification service.
  const char* path = std::getenv("PATH");
  jobs::ChildProcess bus;
  jobs::UniqueFd bus_output;
  const std::string daemon = jobs::FindTool("dbus-daemon", "", path ? path : "");
  if (!daemon.empty()) {
    bus = jobs::ChildProcess::Start({daemon, "--session", "--nofork", "--print-address=1"}, jobs::OutputMode::kCapture);
    bus_output = bus.TakeOutput();
    std::string address;
    char c = 0;
    while (bus_output.valid() && read(bus_output.get(), &c, 1) == 1 && c != '\n') address += c;
    if (!address.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  }
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_WARNING;
  google::InitGoogleLogging(argv[0]);
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ui::SetSkinDir(QString(VANTU_BIN_DIR) + "/skin");
  // The language comes from the environment, as in the program: ctest runs the suite in both.
  if (!ui::InstallTranslation(app, shell::ChooseUiLanguage())) {
    std::fprintf(stderr, "the English translation is missing from %s\n", qPrintable(ui::TranslationsDir()));
    return 1;
  }
  // Closing a main window must not end the one event loop the tests share.
  ui::SetEndProgram([](int) {});
  return RUN_ALL_TESTS();
}
