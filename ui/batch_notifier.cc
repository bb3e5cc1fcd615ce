#include "ui/batch_notifier.h"

#include <glog/logging.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace ui {
namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr int kTimeoutMs = 8000;

}  // namespace

BatchNotifier::BatchNotifier(QSystemTrayIcon* tray, QObject* parent) : QObject(parent), tray_(tray) {
  if (tray_) {
    connect(tray_, &QSystemTrayIcon::messageClicked, this, [this] {
      if (tray_page_ >= 0) emit clicked(tray_page_);
    });
  }
}

QString BatchNotifier::Text(int succeeded, int failed) {
  return tr("%1 个任务已处理完毕：%2 个成功，%3 个失败").arg(succeeded + failed).arg(succeeded).arg(failed);
}

void BatchNotifier::ItemEnded(jobs::PageKind page, bool success, size_t running, bool unseen,
                              const QString& page_title) {
  Tally& tally = tallies_[static_cast<size_t>(page)];
  ++(success ? tally.succeeded : tally.failed);
  if (running > 0) return;
  const Tally done = tally;
  tally = Tally{};
  if (!unseen) return;
  Show(page, page_title, Text(done.succeeded, done.failed));
}

void BatchNotifier::Show(jobs::PageKind page, const QString& title, const QString& text) {
  LOG(INFO) << "batch done: " << title.toStdString() << ": " << text.toStdString();
  emit shown(page, title, text);
  if (tray_ && tray_->isVisible() && QSystemTrayIcon::supportsMessages()) {
    tray_page_ = page;
    tray_->showMessage(title, text, tray_->icon(), kTimeoutMs);
    return;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  if (!bus_connected_) {
    bus_connected_ = bus.connect(kService, kPath, kService, "ActionInvoked", this, SLOT(OnAction(uint, QString)));
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
  // app name, replaces id, icon, summary, body, actions, hints, timeout
  call << QString("VANTU人声分离") << uint(0) << QString("audio-x-generic") << title << text
       << QStringList{"default", tr("查看")} << QVariantMap{} << kTimeoutMs;
  // Asynchronous: a slow or missing notification service never holds up the window.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, page] {
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isValid()) {
      bus_pages_[reply.value()] = page;
    } else {
      LOG(WARNING) << "the desktop's notification service answered: " << reply.error().message().toStdString();
    }
    watcher->deleteLater();
  });
}

void BatchNotifier::OnAction(uint id, const QString& action) {
  const auto it = bus_pages_.find(id);
  if (it == bus_pages_.end() || action != "default") return;
  const int page = it->second;
  bus_pages_.erase(it);
  emit clicked(page);
}

}  // namespace ui
