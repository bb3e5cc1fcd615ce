#include "ui/main_wnd.h"

#include <glog/logging.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QUiLoader>
#include <QUrl>
#include <filesystem>

#include "jobs/media_files.h"
#include "jobs/media_probe.h"
#include "jobs/trace.h"
#include "shell/dirs.h"
#include "shell/ini_file.h"
#include "shell/paths.h"
#include "ui/batch_notifier.h"
#include "ui/cause_text.h"
#include "ui/framework/desktop_services.h"
#include "ui/file_adder.h"
#include "ui/framework/program_end.h"
#include "ui/framework/translation.h"
#include "ui/message_box.h"
#include "ui/messages.h"
#include "ui/popup_menus.h"
#include "ui/seting_dialog.h"
#include "ui/service_links.h"
#include "ui/upgrade_dialogs.h"

namespace ui {
namespace {

using jobs::PageKind;

QString PatternsOf(PageKind page) { return jobs::MediaPatterns(page); }

// The page's controls beside the ones the jobs know: "add-extract-folder", "extract-add-summary".
QString PageControl(PageKind page, const char* pattern) { return QString(pattern).arg(jobs::ShortName(page)); }
constexpr char kAddFolder[] = "add-%1-folder";
constexpr char kAddSummary[] = "%1-add-summary";

std::optional<PageKind> PageOfNamed(const QString& name, const char* pattern) {
  for (int p = 0; p < jobs::kPageCount; ++p) {
    if (name == PageControl(static_cast<PageKind>(p), pattern)) return static_cast<PageKind>(p);
  }
  return std::nullopt;
}

// Controls of a list element that carry the item number as their tag.
constexpr const char* kPlayerControls[] = {"play-btn", "play-slider", "stem-switch"};

std::optional<PageKind> PageOfControl(const QString& name, const char* jobs::PageNames::*field) {
  for (int p = 0; p < jobs::kPageCount; ++p) {
    if (name == jobs::NamesOf(static_cast<PageKind>(p)).*field) return static_cast<PageKind>(p);
  }
  return std::nullopt;
}

constexpr int kRowHeight = 64;
constexpr int kNameWidth = 360;

// Styles that depend on dynamic properties are applied again after the property changes.
void Repolish(QWidget* widget) {
  widget->style()->unpolish(widget);
  widget->style()->polish(widget);
}

// An empty list shows its empty-state picture.
void ShowEmptyState(QListWidget* list) {
  list->setProperty("empty", list->count() == 0);
  Repolish(list);
}

}  // namespace

CMainWnd::CMainWnd(jobs::JobEnvironment env, bool upgrade_check)
    : WindowImplBase(nullptr, Qt::Window), env_(std::move(env)), start_upgrade_check_(upgrade_check) {}

CMainWnd::~CMainWnd() { controller_.reset(); }

void CMainWnd::InitWindow() {
  setWindowTitle(tr(kTitle));
  setWindowIcon(QIcon(SkinDir() + "/icons/app.png"));
  SetUpTray();
  // Intermediate files of an earlier run are of no use now.
  shell::DeleteDirContents(shell::CreateAppDataDir("VantuVoiceSeparate/Temp"));
  controller_ = std::make_unique<jobs::JobController>(*this, poster(), env_);
  adder_ = new FileAdder([this](PageKind page, const QString& path) { return BuildItem(page, path); },
                         [this](PageKind page, int32_t item, double seconds) { SetDuration(page, item, seconds); },
                         this);
  connect(adder_, &FileAdder::finished, this, [this](int page, int added, int skipped) {
    if (auto* note = FindControl<QLabel>(PageControl(static_cast<PageKind>(page), kAddSummary))) {
      note->setText(skipped ? tr("已添加 %1 个文件，跳过 %2 个非媒体文件").arg(added).arg(skipped)
                            : tr("已添加 %1 个文件").arg(added));
    }
    emit filesAdded(page, added, skipped);
  });
  player_ = new ItemPlayer([this](PageKind page, int32_t item) { return FindElement(page, item); }, this);
  notifier_ = new BatchNotifier(tray_, this);
  connect(notifier_, &BatchNotifier::clicked, this, [this](int page) { ShowPage(static_cast<PageKind>(page)); });
  for (int p = 0; p < jobs::kPageCount; ++p) {
    if (QListWidget* list = ListOf(static_cast<PageKind>(p))) {
      list->setAcceptDrops(true);
      list->viewport()->setAcceptDrops(true);
      list->viewport()->installEventFilter(this);
      list->setSelectionMode(QAbstractItemView::NoSelection);
      ShowEmptyState(list);
    }
  }
  if (auto* high = FindControl("audio-high-pitch")) high->setVisible(GetSelectedIndex("audio-pitch-type") == 0);
  if (auto* low = FindControl("audio-low-pitch")) low->setVisible(GetSelectedIndex("audio-pitch-type") != 0);
  if (auto* slider = FindControl<QSlider>("audio-tempo-slider")) tempo_ = slider->value();
  if (start_upgrade_check_) StartUpgradeCheckThread(this);
}

void CMainWnd::SetUpTray() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  tray_ = new QSystemTrayIcon(windowIcon(), this);
  tray_->setToolTip(tr(kTitle));
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Context) {
      CMainTaskMenu::PlaceMenu(this, QCursor::pos());
    } else if (reason == QSystemTrayIcon::Trigger) {
      ShowFromTray();
    }
  });
  tray_->show();
}

void CMainWnd::ShowFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void CMainWnd::Notify(const Notification& n) {
  const QString name = n.senderName();
  if (n.type == "click") {
    if (name == "feedback") {
      OpenFeedback(this);
    } else if (name == "help") {
      OpenHelp();
    } else if (name == "seting") {
      SetingDialog::Open(this);
    } else if (name == "add-cover-btn") {
      ChooseCover();
    } else if (auto page = PageOfControl(name, &jobs::PageNames::add_button)) {
      AddFiles(*page);
    } else if (auto folder_page = PageOfNamed(name, kAddFolder)) {
      AddFolder(*folder_page);
    } else if (name == "play-btn") {
      const auto page = PageOfItem(n.tag());
      const auto result = results_.find(n.tag());
      if (page && result != results_.end()) player_->Toggle(*page, n.tag(), result->second);
    } else if (name == "stem-switch") {
      player_->SwitchStem(n.tag());
    } else if (auto start = PageOfControl(name, &jobs::PageNames::start_button)) {
      StartItem(*start, n.tag());
    } else if (auto menu = PageOfControl(name, &jobs::PageNames::menu_button)) {
      ItemPopMenu::ShowAt(*menu, this, n.sender, n.point);
    }
  } else if (n.type == "valuechanged" && name == "play-slider") {
    player_->Seek(n.tag(), static_cast<QSlider*>(n.sender)->value());
  } else if (n.type == "valuechanged" && name == "audio-tempo-slider") {
    tempo_ = static_cast<QSlider*>(n.sender)->value();
    if (auto* label = FindControl<QLabel>("audio-tempo-label")) label->setText(QString("%1%").arg(tempo_));
  } else if (n.type == "selectchanged") {
    if (auto page = PageOfControl(name, &jobs::PageNames::option)) {
      if (auto* tab = FindControl<QStackedWidget>("main-tab")) tab->setCurrentIndex(*page);
    } else if (name.startsWith("compress-level-")) {
      compress_level_ = name.mid(15).toInt();
    }
  } else if (n.type == "itemselect" && name == "audio-pitch-type") {
    const bool raise = static_cast<QComboBox*>(n.sender)->currentIndex() == 0;
    if (auto* high = FindControl("audio-high-pitch")) high->setVisible(raise);
    if (auto* low = FindControl("audio-low-pitch")) low->setVisible(!raise);
  }
  WindowImplBase::Notify(n);
}

QString CMainWnd::FileFilter(PageKind page) {
  return tr("支持格式(%1)").arg(PatternsOf(page).split(';').join(' '));
}

bool CMainWnd::AcceptsFile(PageKind page, const QString& path) {
  return jobs::IsMediaFileName(page, QFileInfo(path).fileName().toStdString());
}

void CMainWnd::AddFiles(PageKind page) {
  const QStringList files = DesktopServices::Instance().OpenFileNames(this, FileFilter(page));
  // The user picked these by hand, so a name typed outside the filter is still taken.
  if (!files.isEmpty()) AddPaths(page, files, jobs::NamedFiles::kKeep);
}

int CMainWnd::OpenFiles(const QStringList& files) {
  int added = 0;
  QStringList folders;
  for (const QString& file : files) {
    if (QFileInfo(file).isDir()) {
      folders << file;
      ++added;
      continue;
    }
    if (!QFileInfo(file).isFile() || !AcceptsFile(jobs::Extract, file)) {
      LOG(WARNING) << "not added to the separation page: " << file.toStdString();
      continue;
    }
    if (AddListItem(jobs::Extract, file) >= 0) ++added;
  }
  // A folder's media files follow in the background, as when one is dropped.
  if (!folders.isEmpty()) AddPaths(jobs::Extract, folders);
  auto* option = FindControl<QAbstractButton>(jobs::NamesOf(jobs::Extract).option);
  if (added > 0 && option) option->setChecked(true);
  return added;
}

void CMainWnd::AddFolder(PageKind page) {
  const QString folder = DesktopServices::Instance().ExistingDirectory(this, tr("选择文件夹"));
  if (!folder.isEmpty()) AddPaths(page, {folder});
}

void CMainWnd::AddPaths(PageKind page, const QStringList& paths, jobs::NamedFiles named) {
  if (adder_) adder_->Add(page, paths, named);
}

bool CMainWnd::AddingFiles() const { return adder_ && adder_->busy(); }

int32_t CMainWnd::AddListItem(PageKind page, const QString& full_path) {
  const int32_t item = BuildItem(page, full_path);
  if (item >= 0) SetDuration(page, item, jobs::ProbeMediaDuration(tasks_[item].fullPath));
  return item;
}

void CMainWnd::SetDuration(PageKind page, int32_t item, double seconds) {
  QWidget* element = FindElement(page, item);
  if (auto* label = element ? element->findChild<QLabel*>("durationLabel") : nullptr) {
    label->setText(QString::fromStdString(jobs::FormatDurationText(seconds)));
  }
}

int32_t CMainWnd::BuildItem(PageKind page, const QString& full_path) {
  QListWidget* list = ListOf(page);
  if (!list) return -1;
  const QFileInfo info(full_path);
  const QString absolute = info.absoluteFilePath();
  jobs::TaskItem task = jobs::MakeTaskItem(absolute.toStdString(), info.exists() ? static_cast<uint64_t>(info.size()) : 0);
  jobs::Trace("tempFile.fileName: " + task.fileName);
  jobs::Trace("tempFile.filePath: " + task.filePath);
  jobs::Trace("tempFile.fullPath: " + task.fullPath);

  QByteArray& skin = element_skins_[page];
  if (skin.isEmpty()) {
    QFile file(SkinDir() + "/" + jobs::NamesOf(page).element_skin);
    if (file.open(QIODevice::ReadOnly)) skin = file.readAll();
  }
  QBuffer buffer(&skin);
  buffer.open(QIODevice::ReadOnly);
  QUiLoader loader;
  QWidget* element = loader.load(&buffer);
  if (!element) {
    LOG(ERROR) << "cannot build a list element from " << jobs::NamesOf(page).element_skin;
    return -1;
  }
  const int32_t item = counter_;
  element->setObjectName(QString::fromStdString(jobs::ElementName(item)));
  SetTag(element, item);
  if (auto* label = element->findChild<QLabel*>("fileNameLabel")) {
    const QString name = QString::fromStdString(task.fileName);
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, kNameWidth));
    label->setToolTip(absolute);
  }
  if (auto* label = element->findChild<QLabel*>("fileSizeLabel")) {
    label->setText(QString::fromStdString(jobs::FormatFileSize(static_cast<int64_t>(task.fileSize))));
  }
  if (auto* label = element->findChild<QLabel*>("durationLabel")) label->setText("--:--:--");
  for (const char* button : {jobs::NamesOf(page).start_button, jobs::NamesOf(page).menu_button}) {
    if (auto* w = element->findChild<QWidget*>(button)) SetTag(w, item);
  }
  for (const char* control : kPlayerControls) {
    if (auto* w = element->findChild<QWidget*>(control)) SetTag(w, item);
  }
  auto* row = new QListWidgetItem(list);
  row->setSizeHint(QSize(0, kRowHeight));
  list->setItemWidget(row, element);
  ShowEmptyState(list);
  WireControls(element);
  tasks_[item] = std::move(task);
  pages_[item] = page;
  elements_[item] = element;
  ++counter_;
  return item;
}

std::optional<PageKind> CMainWnd::PageOfItem(int32_t item) const {
  const auto it = pages_.find(item);
  if (it == pages_.end()) return std::nullopt;
  return it->second;
}

void CMainWnd::ShowPlayer(PageKind page, int32_t item, bool visible) {
  QWidget* element = FindElement(page, item);
  if (!element) return;
  if (auto* box = element->findChild<QWidget*>("playBox")) box->setVisible(visible);
  const auto result = results_.find(item);
  if (auto* stem = element->findChild<QWidget*>("stem-switch")) {
    stem->setVisible(visible && result != results_.end() && !result->second.companion.isEmpty());
  }
}

void CMainWnd::ShowPage(PageKind page) {
  ShowFromTray();
  if (auto* option = FindControl<QAbstractButton>(jobs::NamesOf(page).option)) option->setChecked(true);
  if (auto* tab = FindControl<QStackedWidget>("main-tab")) tab->setCurrentIndex(page);
}

void CMainWnd::StartItem(PageKind page, int32_t item) {
  // The controller refuses a second separation with the busy prompt.
  const auto it = tasks_.find(item);
  if (it == tasks_.end()) return;
  controller_->StartItem(page, item, it->second);
  if (controller_->IsRunning(item)) {
    // The result is about to be written again: it cannot be played meanwhile.
    player_->StopItem(item);
    ShowPlayer(page, item, false);
    results_.erase(item);
  }
}

void CMainWnd::RemoveItem(PageKind page, int32_t item) {
  QListWidget* list = ListOf(page);
  if (!list) return;
  for (int row = 0; row < list->count(); ++row) {
    QWidget* element = list->itemWidget(list->item(row));
    if (element && TagOf(element) == item) {
      player_->StopItem(item);
      if (const auto result = results_.find(item); result != results_.end()) {
        // The other stem lives in the temporary folder only for listening.
        std::error_code ec;
        if (!result->second.companion.isEmpty()) std::filesystem::remove(result->second.companion.toStdString(), ec);
        results_.erase(result);
      }
      elements_.erase(item);
      delete list->takeItem(row);
      element->deleteLater();
      ShowEmptyState(list);
      return;
    }
  }
}

QListWidget* CMainWnd::ListOf(PageKind page) const { return FindControl<QListWidget>(jobs::NamesOf(page).list); }

QWidget* CMainWnd::FindElement(PageKind page, int32_t item) const {
  const auto element = elements_.find(item);
  if (element == elements_.end()) return nullptr;
  const auto item_page = pages_.find(item);
  return item_page != pages_.end() && item_page->second == page ? element->second.data() : nullptr;
}

QWidget* CMainWnd::ItemControl(const std::string& list, int32_t item, const std::string& control) const {
  const auto page = PageOfControl(QString::fromStdString(list), &jobs::PageNames::list);
  QWidget* element = page ? FindElement(*page, item) : nullptr;
  return element ? element->findChild<QWidget*>(QString::fromStdString(control)) : nullptr;
}

std::string CMainWnd::GetText(const std::string& control) {
  QWidget* w = FindControl(QString::fromStdString(control));
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText().trimmed().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  return {};
}

int CMainWnd::GetSelectedIndex(const std::string& control) {
  auto* combo = FindControl<QComboBox>(QString::fromStdString(control));
  return combo ? combo->currentIndex() : 0;
}

void CMainWnd::SetItemVisible(const std::string& list, int32_t item, const std::string& control, bool visible) {
  if (QWidget* w = ItemControl(list, item, control)) w->setVisible(visible);
}

void CMainWnd::SetItemEnabled(const std::string& list, int32_t item, const std::string& control, bool enabled) {
  if (QWidget* w = ItemControl(list, item, control)) w->setEnabled(enabled);
}

void CMainWnd::SetItemProgress(const std::string& list, int32_t item, const std::string& control, int percent) {
  if (auto* bar = qobject_cast<QProgressBar*>(ItemControl(list, item, control))) bar->setValue(percent);
}

void CMainWnd::SetItemToolTip(const std::string& list, int32_t item, const std::string& control,
                              const std::string& text) {
  if (QWidget* w = ItemControl(list, item, control)) {
    w->setToolTip(control == jobs::kStatusFailed ? ui::CauseText(text) : QString::fromStdString(text));
  }
}

void CMainWnd::ShowPrompt(const std::string& text) { PromptBoxDialog::Show(this, ShownText(text)); }

void CMainWnd::OnItemFinished(const jobs::FinishedRecord& record) {
  const auto page = static_cast<PageKind>(record.page);
  if (QWidget* element = FindElement(page, record.item)) {
    element->setProperty("state", record.success ? "done" : "failed");
    Repolish(element);
    element->setToolTip(record.success ? QString::fromStdString(record.output) : ui::CauseText(record.cause));
  }
  if (record.success && !record.output.empty()) {
    results_[record.item] = {QString::fromStdString(record.output), QString::fromStdString(record.companion)};
    ShowPlayer(page, record.item, true);
  }
  const auto* option = FindControl<QAbstractButton>(jobs::NamesOf(page).option);
  const bool unseen = !isVisible() || isMinimized() || !isActiveWindow();
  notifier_->ItemEnded(page, record.success, controller_->RunningCount(page), unseen,
                       option ? option->text() : QString(jobs::ShortName(page)));
  emit itemFinished(record.item, record.success);
}

void CMainWnd::ChooseCover() {
  const QString file = DesktopServices::Instance().OpenFileName(this, tr("支持格式(%1)").arg("*.jpg *.png *.bmp"));
  if (file.isEmpty()) return;
  if (auto* edit = FindControl<QLineEdit>("cover-edit")) edit->setText(file);
}

void CMainWnd::OpenHelp() { DesktopServices::Instance().OpenUrl(HelpPageUrl()); }

void CMainWnd::HandleCustomMessage(uint32_t message, std::unique_ptr<jobs::MessageRecord> record, bool& handled) {
  handled = true;
  switch (message) {
    case WM_MENU_QUIT:
      CloseFor(kCloseForQuit);
      return;
    case WM_MENU_HOME:
      ShowFromTray();
      return;
    case WM_MENU_HELP:
      OpenHelp();
      return;
    case WM_MENU_SETTINGS:
      ShowFromTray();
      SetingDialog::Open(this);
      return;
    case WM_MENU_FEEDBACK:
      ShowFromTray();
      OpenFeedback(this);
      return;
    case WM_MENU_UPGRADE:
      CheckUpgradeNow(this);
      return;
    case WM_UPGRADE_FOUND:
      if (auto* found = dynamic_cast<UpgradeRecord*>(record.get())) ShowUpgradeOffer(this, found->result);
      return;
    case WM_ITEM_OPEN_DIR: {
      auto* command = dynamic_cast<ItemCommand*>(record.get());
      if (command && tasks_.count(static_cast<int32_t>(command->item))) {
        DesktopServices::Instance().OpenUrl(QUrl::fromLocalFile(QString::fromStdString(env_.output_dir())));
      }
      return;
    }
    case WM_ITEM_REMOVE: {
      auto* command = dynamic_cast<ItemCommand*>(record.get());
      if (command && command->page < static_cast<uint32_t>(jobs::kPageCount)) {
        RemoveItem(static_cast<PageKind>(command->page), static_cast<int32_t>(command->item));
      }
      return;
    }
    default:
      handled = controller_ && controller_->HandleMessage(message, std::move(record));
  }
}

bool CMainWnd::OnClose(uint32_t reason) {
  if (reason == kCloseForQuit) return true;
  const int setting =
      shell::ReadIniInt(shell::kConfigSection, shell::kKeyWindowClose, 0, shell::GetConfigIniPath());
  if (setting != 0) {
    showMinimized();
    return false;
  }
  return true;
}

void CMainWnd::OnDestroy() {
  if (tray_) tray_->hide();
  if (player_) player_->Stop();
  // No more items arrive for a window that is going.
  delete adder_;
  adder_ = nullptr;
  // Running jobs are stopped: their children killed, their threads joined.
  controller_.reset();
}

void CMainWnd::OnFinalMessage() { EndProgram(0); }

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
  // Files dropped from the file manager onto a page's list are added as its add button would.
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
    for (int p = 0; p < jobs::kPageCount; ++p) {
      const auto page = static_cast<PageKind>(p);
      QListWidget* list = ListOf(page);
      if (!list || watched != list->viewport()) continue;
      auto* drop = static_cast<QDropEvent*>(event);
      if (!drop->mimeData()->hasUrls()) return false;
      if (event->type() != QEvent::Drop) {
        drop->acceptProposedAction();
        return true;
      }
      // Folders give the page's media files inside them; other files must be of its types.
      QStringList paths;
      for (const QUrl& url : drop->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
      }
      if (!paths.isEmpty()) AddPaths(page, paths);
      drop->acceptProposedAction();
      return true;
    }
  }
  return WindowImplBase::eventFilter(watched, event);
}

}  // namespace ui
