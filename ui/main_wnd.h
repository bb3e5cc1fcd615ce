// The main window: seven tool pages with their options and task lists, the tray icon, and the
// host of the jobs (it shows their progress and end states on the list elements).
#ifndef UI_MAIN_WND_H_
#define UI_MAIN_WND_H_

#include <QByteArray>
#include <QListWidget>
#include <QSystemTrayIcon>
#include <deque>
#include <map>
#include <memory>

#include "jobs/job_controller.h"
#include "jobs/job_host.h"
#include "jobs/task_item.h"
#include "ui/framework/window_impl_base.h"

namespace ui {

class CMainWnd : public WindowImplBase, public jobs::JobHost {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "VANTU人声分离";

  // `env` tells the jobs where their tools and folders are (tests pass their own);
  // `upgrade_check` starts the silent upgrade check at initialisation.
  explicit CMainWnd(jobs::JobEnvironment env = jobs::JobEnvironment::Default(), bool upgrade_check = true);
  ~CMainWnd() override;

  // The page's open-file dialog, then one item per chosen file.
  void AddFiles(jobs::PageKind page);
  // Adds one file as a new item of `page`; returns its number.
  int32_t AddListItem(jobs::PageKind page, const QString& full_path);
  // Adds the files as items in their order: the first ones at once, the rest a slice per turn
  // of the event loop, so a long selection never freezes the window while it is probed.
  void AddListItems(jobs::PageKind page, const QStringList& files);
  void StartItem(jobs::PageKind page, int32_t item);
  void RemoveItem(jobs::PageKind page, int32_t item);

  // The list element "item-<item>" of a page, or null.
  QWidget* FindElement(jobs::PageKind page, int32_t item) const;
  QListWidget* ListOf(jobs::PageKind page) const;
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
  void ChooseCover();
  void OpenHelp();
  void ShowFromTray();
  void SetUpTray();

  int32_t counter_ = 0;
  int tempo_ = 0;
  int compress_level_ = 1;
  std::map<int32_t, jobs::TaskItem> tasks_;
  std::map<int, QByteArray> element_skins_;
  std::deque<std::pair<jobs::PageKind, QString>> pending_adds_;
  void AddPendingSlice();
  jobs::JobEnvironment env_;
  std::unique_ptr<jobs::JobController> controller_;
  QSystemTrayIcon* tray_ = nullptr;
  bool start_upgrade_check_;
};

}  // namespace ui

#endif  // UI_MAIN_WND_H_
