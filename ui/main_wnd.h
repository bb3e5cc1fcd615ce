// The main window: seven tool pages with their options and task lists, the tray icon, and the
// host of the jobs (it shows their progress and end states on the list elements).
#ifndef UI_MAIN_WND_H_
#define UI_MAIN_WND_H_

#include <QByteArray>
#include <QListWidget>
#include <QPointer>
#include <QSystemTrayIcon>
#include <map>
#include <memory>
#include <optional>

#include "jobs/job_controller.h"
#include "jobs/job_host.h"
#include "jobs/media_files.h"
#include "jobs/task_item.h"
#include "ui/framework/window_impl_base.h"
#include "ui/item_player.h"

namespace ui {

class BatchNotifier;
class FileAdder;

class CMainWnd : public WindowImplBase, public jobs::JobHost {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = QT_TRANSLATE_NOOP("ui::CMainWnd", "VANTU人声分离");

  // `env` tells the jobs where their tools and folders are (tests pass their own);
  // `upgrade_check` starts the silent upgrade check at initialisation.
  explicit CMainWnd(jobs::JobEnvironment env = jobs::JobEnvironment::Default(), bool upgrade_check = true);
  ~CMainWnd() override;

  // The page's open-file dialog, then one item per chosen file.
  void AddFiles(jobs::PageKind page);
  // Files given on the command line or by a later start: each existing file the separation page
  // accepts becomes an item there, each folder adds its media files in the background, and that
  // page is shown when any was taken. Returns how many files and folders were taken.
  int OpenFiles(const QStringList& files);
  // Shows, restores and raises the window.
  void ShowFromTray();
  // The folder dialog, then one item per media file inside the chosen folder.
  void AddFolder(jobs::PageKind page);
  // Adds files and folders (their media files, recursively) to `page` in the background:
  // returns at once, the durations follow as they are probed, and the page's note says how
  // many were added and skipped. Files named directly pass the page's types unless `named`
  // keeps them.
  void AddPaths(jobs::PageKind page, const QStringList& paths, jobs::NamedFiles named = jobs::NamedFiles::kFilter);
  // Whether an AddPaths is still adding items or probing their durations.
  bool AddingFiles() const;
  // Adds one file as a new item of `page` and probes its duration now; returns its number.
  int32_t AddListItem(jobs::PageKind page, const QString& full_path);
  void StartItem(jobs::PageKind page, int32_t item);
  void RemoveItem(jobs::PageKind page, int32_t item);

  // The list element "item-<item>" of a page, or null.
  QWidget* FindElement(jobs::PageKind page, int32_t item) const;
  QListWidget* ListOf(jobs::PageKind page) const;
  // Shows the window normally, on `page`.
  void ShowPage(jobs::PageKind page);
  ItemPlayer& player() { return *player_; }
  BatchNotifier& notifier() { return *notifier_; }
  int tempo_value() const { return tempo_; }
  int compress_level() const { return compress_level_; }
  const std::vector<int32_t>& busyList() const { return controller_->busyList(); }
  const std::map<int32_t, jobs::TaskItem>& tasks() const { return tasks_; }

  // The open-file dialog's filter of a page, and whether a dropped file passes it.
  static QString FileFilter(jobs::PageKind page);
  static bool AcceptsFile(jobs::PageKind page, const QString& path);

  // jobs::JobHost
  std::string GetText(const std::string& control) override;
  int GetSelectedIndex(const std::string& control) override;
  int GetTempoValue() override { return tempo_; }
  int GetCompressLevel() override { return compress_level_; }
  void SetItemVisible(const std::string& list, int32_t item, const std::string& control, bool visible) override;
  void SetItemEnabled(const std::string& list, int32_t item, const std::string& control, bool enabled) override;
  void SetItemProgress(const std::string& list, int32_t item, const std::string& control, int percent) override;
  void SetItemToolTip(const std::string& list, int32_t item, const std::string& control,
                      const std::string& text) override;
  void ShowPrompt(const std::string& text) override;

 signals:
  // An item reached its end state (for tests and the screenshots tool).
  void itemFinished(int item, bool success);
  // An AddPaths call put its last file in the list.
  void filesAdded(int page, int added, int skipped);

 protected:
  QString GetSkinFile() const override { return "MainWindow.xml"; }
  QString GetWindowClassName() const override { return "音频剪辑"; }
  void InitWindow() override;
  void Notify(const Notification& notification) override;
  void HandleCustomMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record, bool& handled) override;
  bool OnClose(uint32_t reason) override;
  void OnDestroy() override;
  void OnFinalMessage() override;
  void OnItemFinished(const jobs::FinishedRecord& record) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* ItemControl(const std::string& list, int32_t item, const std::string& control) const;
  // Builds the element and the task entry of one file; its duration is left to the caller.
  int32_t BuildItem(jobs::PageKind page, const QString& full_path);
  void SetDuration(jobs::PageKind page, int32_t item, double seconds);
  void ShowPlayer(jobs::PageKind page, int32_t item, bool visible);
  std::optional<jobs::PageKind> PageOfItem(int32_t item) const;
  void ChooseCover();
  void OpenHelp();
  void SetUpTray();

  int32_t counter_ = 0;
  int tempo_ = 0;
  int compress_level_ = 1;
  std::map<int32_t, jobs::TaskItem> tasks_;
  std::map<int, QByteArray> element_skins_;
  jobs::JobEnvironment env_;
  std::unique_ptr<jobs::JobController> controller_;
  QSystemTrayIcon* tray_ = nullptr;
  FileAdder* adder_ = nullptr;
  ItemPlayer* player_ = nullptr;
  BatchNotifier* notifier_ = nullptr;
  // What a succeeded item can play, by item number.
  std::map<int32_t, ItemPlayer::Sources> results_;
  std::map<int32_t, jobs::PageKind> pages_;
  // The list element of each item still listed: lookups stay cheap in lists of thousands.
  std::map<int32_t, QPointer<QWidget>> elements_;
  bool start_upgrade_check_;
};

}  // namespace ui

#endif  // UI_MAIN_WND_H_
