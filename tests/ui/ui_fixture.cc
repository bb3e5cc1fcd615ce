#include "tests/ui/ui_fixture.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "jobs/trace.h"
#include "shell/ini_file.h"
#include "shell/paths.h"
#include "tests/support/run_program.h"
#include "ui/framework/translation.h"

namespace ui_test {
namespace {

template <typename T>
T Pop(std::deque<T>& queue) {
  if (queue.empty()) return T();
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

// WhenModal's timers still waiting for their dialog.
std::vector<QTimer*>& PendingModalWaits() {
  static std::vector<QTimer*> timers;
  return timers;
}

}  // namespace

QStringList FakeDesktop::OpenFileNames(QWidget*, const QString& filter) {
  filters << filter;
  return Pop(files);
}
QString FakeDesktop::OpenFileName(QWidget*, const QString& filter) {
  filters << filter;
  return Pop(file);
}
QString FakeDesktop::ExistingDirectory(QWidget*, const QString&) { return Pop(directories); }

QString Shown(const char* chinese, const char* english) {
  return QString::fromUtf8(ui::InstalledLanguage() == shell::UiLanguage::kChinese ? chinese : english);
}

const testing_support::TempDir& Home() {
  static testing_support::TempDir home;
  return home;
}

UiTest::UiTest() {
  jobs::SetTraceEnabled(false);
  ui::DesktopServices::SetInstance(&desktop_);
  out_dir_ = dir_.File("out");
  temp_dir_ = dir_.File("temp");
  std::filesystem::create_directories(out_dir_);
  std::filesystem::create_directories(temp_dir_);
  SetSetting(shell::kKeyOutputDir, out_dir_);
  SetSetting(shell::kKeyWindowClose, "0");
  jobs::JobEnvironment env = jobs::JobEnvironment::Default();
  env.temp_dir = [this] { return temp_dir_; };
  env.model_dir = std::string(VANTU_BIN_DIR) + "/models/2stems/saved_model";
  window_ = std::make_unique<ui::CMainWnd>(env, /*upgrade_check=*/false);
  window_->Create();
  window_->show();
  QObject::connect(window_.get(), &ui::CMainWnd::itemFinished,
                   [this](int item, bool success) { finished_.emplace_back(item, success); });
}

UiTest::~UiTest() {
  // A dialog a test waited for and never saw must not act on the next test's dialogs.
  for (QTimer* timer : PendingModalWaits()) {
    ADD_FAILURE() << "a dialog the test waited for never opened";
    delete timer;
  }
  PendingModalWaits().clear();
  window_.reset();
  ui::DesktopServices::SetInstance(nullptr);
}

std::string UiTest::Make(const std::string& name, const std::vector<std::string>& args) {
  return testing_support::MakeMedia(dir_.File(name), args);
}

bool UiTest::WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return true;
}

void UiTest::WhenModal(std::function<void(QWidget*)> action) {
  auto* timer = new QTimer();
  PendingModalWaits().push_back(timer);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      auto& pending = PendingModalWaits();
      pending.erase(std::remove(pending.begin(), pending.end(), timer), pending.end());
      timer->deleteLater();
      action(modal);
    }
  });
  timer->start(20);
}

void UiTest::AnswerNextBox(QString* text, const char* button) {
  WhenModal([text, button](QWidget* box) {
    if (text) *text = box->findChild<QLabel*>("msgText")->text();
    box->findChild<QAbstractButton*>(button)->click();
  });
}

void UiTest::SetSetting(const std::string& key, const std::string& value) {
  shell::WriteIniString(shell::kConfigSection, key, value, shell::GetConfigIniPath());
}

QWidget* UiTest::Control(const QString& name) const { return window_->FindControl(name); }

QWidget* UiTest::ItemChild(jobs::PageKind page, int32_t item, const QString& name) const {
  QWidget* element = window_->FindElement(page, item);
  return element ? element->findChild<QWidget*>(name) : nullptr;
}

}  // namespace ui_test
