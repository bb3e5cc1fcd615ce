// A word from the desktop when a page's batch is done: when the last running item of a page
// ends while the window is hidden or not active, a notification says how many of the items
// that ended since the page was last idle succeeded and failed. Clicking it reports the page.
//
// Shown through the tray icon's message when the tray can show one, else through the desktop's
// notification service (org.freedesktop.Notifications on the session bus); without either the
// notice is only logged. REQUIRES: the UI thread.
#ifndef UI_BATCH_NOTIFIER_H_
#define UI_BATCH_NOTIFIER_H_

#include <QObject>
#include <QString>
#include <array>
#include <cstddef>
#include <map>

#include "jobs/page_kind.h"

class QSystemTrayIcon;

namespace ui {

class BatchNotifier : public QObject {
  Q_OBJECT

 public:
  // `tray` may be null (no system tray); it is not owned.
  BatchNotifier(QSystemTrayIcon* tray, QObject* parent);

  // An item of `page` ended; `running` items of the page are still under way; `unseen` tells
  // whether the window is hidden, minimised or not active right now.
  void ItemEnded(jobs::PageKind page, bool success, size_t running, bool unseen, const QString& page_title);

  // The notice's text for a batch.
  static QString Text(int succeeded, int failed);

 signals:
  // A notice went out (for tests and the screenshots tool).
  void shown(int page, const QString& title, const QString& text);
  // The user clicked the notice of `page`.
  void clicked(int page);

 private slots:
  void OnAction(uint id, const QString& action);

 private:
  void Show(jobs::PageKind page, const QString& title, const QString& text);

  struct Tally {
    int succeeded = 0;
    int failed = 0;
  };
  QSystemTrayIcon* tray_;
  std::array<Tally, jobs::kPageCount> tallies_{};
  int tray_page_ = -1;              // the page of the tray's last message
  std::map<uint, int> bus_pages_;   // notification id -> page
  bool bus_connected_ = false;
};

}  // namespace ui

#endif  // UI_BATCH_NOTIFIER_H_
