// VantuVoiceSeparate: the desktop program. One instance per user: a second start asks the
// first to show its window and ends.
#include <glog/logging.h>
#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cstdio>

#include "shell/logging.h"
#include "shell/paths.h"
#include "shell/single_instance.h"
#include "ui/framework/window_impl_base.h"
#include "ui/main_wnd.h"

namespace {

// Asks the running instance to show its window; true when it answered.
bool RaiseRunningInstance(const QString& name) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(2000)) return false;
  socket.write("raise\n");
  socket.waitForBytesWritten(2000);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with EFBIG, which the jobs report, instead of
  // the signal ending the whole program. Children start with the default again.
  signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  app.setApplicationName("VantuVoiceSeparate");
  app.setApplicationDisplayName(ui::CMainWnd::kTitle);
  app.setQuitOnLastWindowClosed(false);

  const QString socket_name = QString::fromStdString(shell::InstanceSocketName());
  shell::InstanceLock lock(shell::CreateAppDataDir("VantuVoiceSeparate") + "/instance.lock");
  if (!lock.acquired()) {
    RaiseRunningInstance(socket_name);
    return 0;
  }

  const std::string log_dir = shell::CreateAppDataDir("VantuVoiceSeparate/Log");
  if (!shell::LogCleanup(log_dir, shell::TodayText())) return -1;
  shell::SetUpLogging(log_dir);
  LOG(INFO) << "VantuVoiceSeparate starting";

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
  // Once the first events are through, the window is on screen.
  QTimer::singleShot(0, &window, [] { LOG(INFO) << "main window shown"; });

  // The lock is ours, so a socket left by a crashed run is stale.
  QLocalServer::removeServer(socket_name);
  QLocalServer server;
  server.listen(socket_name);
  QObject::connect(&server, &QLocalServer::newConnection, &window, [&server, &window] {
    while (QLocalSocket* peer = server.nextPendingConnection()) {
      QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      window.showNormal();
      window.raise();
      window.activateWindow();
      LOG(INFO) << "a second start asked to show the window";
    }
  });
  return app.exec();
}
