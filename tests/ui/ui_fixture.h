// The desktop program's windows under the offscreen platform, built from the real skin files,
// with the file dialogs and the desktop's opener replaced.
#ifndef TESTS_UI_UI_FIXTURE_H_
#define TESTS_UI_UI_FIXTURE_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>

#include "jobs/job_controller.h"
#include "tests/support/temp_dir.h"
#include "ui/framework/desktop_services.h"
#include "ui/main_wnd.h"

namespace ui_test {

// Answers the dialogs from queues and records what was opened.
class FakeDesktop : public ui::DesktopServices {
 public:
  std::deque<QStringList> files;    // answers of the open-files dialog
  std::deque<QString> file;         // answers of the single-file dialog
  std::deque<QString> directories;  // answers of the folder browser
  std::vector<QUrl> opened;
  QStringList filters;

  QStringList OpenFileNames(QWidget*, const QString& filter) override;
  QString OpenFileName(QWidget*, const QString& filter) override;
  QString ExistingDirectory(QWidget*, const QString&) override;
  bool OpenUrl(const QUrl& url) override {
    opened.push_back(url);
    return true;
  }
};

// The text a user sees: `chinese` (the source text) under a Chinese locale, `english` under any
// other; the suite runs under both.
QString Shown(const char* chinese, const char* english);

// The folder the whole test program uses as its home (set before anything reads it).
const testing_support::TempDir& Home();

class UiTest : public ::testing::Test {
 protected:
  UiTest();
  ~UiTest() override;

  // A media file made with ffmpeg from lavfi sources.
  std::string Make(const std::string& name, const std::vector<std::string>& args);
  // Processes events until `done` or the time-out; false on time-out.
  static bool WaitFor(const std::function<bool()>& done, int ms = 60000);
  // Runs `action` as soon as a modal dialog is up, on the UI thread.
  static void WhenModal(std::function<void(QWidget* dialog)> action);
  // When the next message or prompt box is up: keeps its text in `text` (unless null) and
  // clicks `button` ("msgConfirm" or "msgCancel").
  static void AnswerNextBox(QString* text, const char* button = "msgConfirm");
  // Writes the INI key in section "global".
  static void SetSetting(const std::string& key, const std::string& value);

  QWidget* Control(const QString& name) const;
  QWidget* ItemChild(jobs::PageKind page, int32_t item, const QString& name) const;

  testing_support::TempDir dir_;
  std::string out_dir_, temp_dir_;
  FakeDesktop desktop_;
  std::unique_ptr<ui::CMainWnd> window_;
  std::vector<std::pair<int, bool>> finished_;
};

}  // namespace ui_test

#endif  // TESTS_UI_UI_FIXTURE_H_
