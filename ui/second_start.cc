#include "ui/second_start.h"

#include <glog/logging.h>

#include <QApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include "ui/main_wnd.h"

namespace ui {
namespace {

constexpr char kConfirmation[] = "ok\n";

}  // namespace

bool HandToRunningInstance(const QString& name, const QStringList& files, int timeout_ms) {
  const QDeadlineTimer deadline(timeout_ms);
  QLocalSocket socket;
  for (;;) {
    socket.connectToServer(name);
    if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
    if (deadline.hasExpired()) return false;
    // Nobody listens yet: the running copy is still building its window.
    QThread::msleep(100);
  }
  QByteArray message;
  QDataStream out(&message, QIODevice::WriteOnly);
  out << files;
  socket.write(message);
  // Its result is not the verdict: a list written at once leaves nothing to wait for. The answer is.
  socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
  QByteArray answer;
  while (answer.size() < static_cast<int>(sizeof kConfirmation) - 1) {
    if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) return false;
    answer += socket.readAll();
  }
  return answer.startsWith(kConfirmation);
}

QLocalServer* ListenForLaterStarts(const QString& name, CMainWnd* window) {
  QLocalServer::removeServer(name);
  auto* server = new QLocalServer(window);
  // Only this user may hand files to the program.
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(name)) {
    LOG(ERROR) << "later starts cannot reach this one: " << server->errorString().toStdString();
    delete server;
    return nullptr;
  }
  QObject::connect(server, &QLocalServer::newConnection, window, [server, window] {
    while (QLocalSocket* peer = server->nextPendingConnection()) {
      QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      QObject::connect(peer, &QLocalSocket::readyRead, window, [peer, window] {
        QDataStream in(peer);
        in.startTransaction();
        QStringList files;
        in >> files;
        if (!in.commitTransaction()) {
          // Wait for the rest of a list that arrives in pieces; drop a peer that sends garbage.
          if (in.status() == QDataStream::ReadCorruptData) peer->abort();
          return;
        }
        LOG(INFO) << "a second start asked to show the window and handed over " << files.size() << " file(s)";
        window->OpenFiles(files);
        window->ShowFromTray();
        if (QWidget* modal = QApplication::activeModalWidget()) {
          modal->raise();
          modal->activateWindow();
        }
        peer->write(kConfirmation);
        peer->disconnectFromServer();
      });
    }
  });
  return server;
}

}  // namespace ui
