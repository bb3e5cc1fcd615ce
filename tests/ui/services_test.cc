// The windows of the online services against the reference service on 127.0.0.1, and files
// dropped from the file manager.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QDropEvent>
#include <filesystem>

#include "shell/ini_file.h"
#include "shell/paths.h"
#include "tests/ui/ui_fixture.h"
#include "tools/service/service.h"
#include "ui/feedback_dialog.h"
#include "ui/messages.h"
#include "ui/service_links.h"
#include "ui/upgrade_dialogs.h"

namespace ui_test {
namespace {

class ServicesTest : public UiTest {
 protected:
  ServicesTest() {
    std::filesystem::create_directories(dir_.File("offered"));
    testing_support::WriteFile(dir_.File("offered/setup-1.3.0.run"), std::string(1 << 20, 's'));
    options_.manifest_path = dir_.File("manifest.json");
    options_.feedback_path = dir_.File("feedback.jsonl");
    options_.download_dir = dir_.File("offered");
    service_ = std::make_unique<vantu_service::Service>(options_);
    EXPECT_TRUE(service_->Start());
    SetSetting(shell::kKeyServiceUrl, service_->BaseUrl());
    ui::SetEndProgram([this](int code) { ended_with_.push_back(code); });
    net::DownloadOptions download;
    download.stall_timeout = std::chrono::milliseconds(1500);
    download.target_dir = dir_.File("downloads");
    std::filesystem::create_directories(download.target_dir);
    ui::DownloadDialog::SetOptions(download);
  }
  ~ServicesTest() override {
    service_->Stop();
    ui::SetEndProgram([](int) {});
    ui::DownloadDialog::SetOptions({});
  }
  void Manifest(const std::string& version, const std::string& force) {
    testing_support::WriteFile(options_.manifest_path,
                               "{\"app_version\":\"" + version + "\",\"download_url\":\"" + service_->BaseUrl() +
                                   "/download/setup-1.3.0.run?from=app\",\"force_upgrade\":" + force + "}");
  }
  // Sends the feedback form with the texts and returns the prompt shown afterwards.
  QString SendFeedback(const QString& content, const QString& contact, QString* tips = nullptr) {
    QString prompt;
    WhenModal([&](QWidget* dialog) {
      dialog->findChild<QPlainTextEdit*>("feedbackContent")->setPlainText(content);
      dialog->findChild<QLineEdit*>("feedbackContact")->setText(contact);
      if (tips) {
        dialog->findChild<QAbstractButton*>("feedbackBtn")->click();
        *tips = dialog->findChild<QLabel*>("feedbackErrorTips")->text();
        dialog->findChild<QAbstractButton*>("closebtn")->click();
        return;
      }
      AnswerNextBox(&prompt);
      dialog->findChild<QAbstractButton*>("feedbackBtn")->click();
    });
    ui::OpenFeedback(window_.get());
    return prompt;
  }

  vantu_service::Options options_;
  std::unique_ptr<vantu_service::Service> service_;
  std::vector<int> ended_with_;
};

TEST_F(ServicesTest, FeedbackIsCheckedSentAndAnswered) {
  QString tips;
  SendFeedback("", "me@example.com", &tips);
  EXPECT_EQ(tips, Shown("反馈内容不能为空!", "Please describe the problem!"));
  SendFeedback("hello", "", &tips);
  EXPECT_EQ(tips, Shown("联系方式不能为空!", "Please give a way to contact you!"));
  EXPECT_FALSE(std::filesystem::exists(options_.feedback_path));

  EXPECT_EQ(SendFeedback("导出时崩溃了 ✓", "QQ 12345"), Shown("反馈信息已提交!", "Thank you, your feedback has been sent!"));
  const std::string stored = testing_support::ReadFile(options_.feedback_path);
  EXPECT_NE(stored.find("导出时崩溃了 ✓"), std::string::npos) << stored;

  service_->SetCannedAnswer(500, "{\"ret\":1}");
  EXPECT_EQ(SendFeedback("again", "me"), Shown("未知错误", "Unknown error"));
  service_->ClearCannedAnswer();
  service_->Stop();
  EXPECT_EQ(SendFeedback("again", "me"), Shown("网络错误!", "Network error!"));
}

TEST_F(ServicesTest, UpgradeCheckOnRequestTellsTheOutcomeAndAnAcceptedOfferInstalls) {
  Manifest("1.2.0", "0");
  QString prompt;
  AnswerNextBox(&prompt);
  ui::CheckUpgradeNow(window_.get());
  EXPECT_EQ(prompt, Shown("没有发现新版本!", "You have the latest version!"));

  // An optional offer the user declines: nothing is downloaded.
  Manifest("1.10.0", "0");
  prompt.clear();
  AnswerNextBox(&prompt, "msgCancel");
  ui::CheckUpgradeNow(window_.get());
  EXPECT_EQ(prompt, Shown("发现新版本啦!", "A new version is available!"));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.File("downloads")));
  EXPECT_TRUE(ended_with_.empty());

  // Accepted, the installer is downloaded and opened, and the program ends for it.
  Manifest("1.2.1", "0");
  AnswerNextBox(nullptr);
  ui::CheckUpgradeNow(window_.get());
  ASSERT_EQ(ended_with_, std::vector<int>{0});
  ASSERT_FALSE(desktop_.opened.empty());
  const std::string installer = desktop_.opened.back().toLocalFile().toStdString();
  EXPECT_EQ(installer, dir_.File("downloads/setup-1.3.0.run"));
  EXPECT_EQ(std::filesystem::file_size(installer), 1u << 20);
}

TEST_F(ServicesTest, CancellingADownloadClosesItOrEndsAForcedUpgrade) {
  service_->SetFault(vantu_service::Fault::kStallDownload);
  const std::string url = service_->BaseUrl() + "/download/setup-1.3.0.run";
  auto cancel_at_half = [](QWidget* dialog) {
    ASSERT_TRUE(WaitFor([dialog] { return dialog->findChild<QLabel*>("download-text")->text() == "50%"; }, 10000));
    dialog->findChild<QAbstractButton*>("cancel")->click();
  };
  WhenModal(cancel_at_half);
  {
    ui::DownloadDialog optional(window_.get(), url, /*force=*/false);
    optional.Create();
    EXPECT_EQ(optional.ShowModal(), 1);
  }
  EXPECT_TRUE(ended_with_.empty());
  EXPECT_TRUE(desktop_.opened.empty());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("downloads/setup-1.3.0.run")));  // no partial installer

  WhenModal(cancel_at_half);
  {
    ui::DownloadDialog forced(window_.get(), url, /*force=*/true);
    forced.Create();
    forced.ShowModal();
  }
  EXPECT_EQ(ended_with_, std::vector<int>{0});
  EXPECT_TRUE(desktop_.opened.empty());
}

TEST_F(ServicesTest, DroppedFilesAndFoldersAreAddedWithThePagesFilter) {
  const std::string song = Make("dropped.mp3", {"-f", "lavfi", "-i", "sine=d=1"});
  testing_support::WriteFiles(dir_.path(),
                              {"notes.txt", "album/2.wav", "album/10.wav", "album/cover.jpg", "album/.thumbs/x.wav"});
  QListWidget* list = window_->ListOf(jobs::Silence);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(song)),
                QUrl::fromLocalFile(QString::fromStdString(dir_.File("notes.txt"))),
                QUrl::fromLocalFile(QString::fromStdString(dir_.File("album")))});
  // As a drag from the file manager arrives: enter, then drop.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
  ASSERT_TRUE(WaitFor([&] { return !window_->AddingFiles(); }));
  ASSERT_EQ(list->count(), 3);
  std::vector<std::string> names;
  for (const auto& [item, task] : window_->tasks()) names.push_back(task.fileName);
  EXPECT_EQ(names, (std::vector<std::string>{"dropped.mp3", "2.wav", "10.wav"}));
  EXPECT_EQ(qobject_cast<QLabel*>(Control("silence-add-summary"))->text(), Shown("已添加 3 个文件，跳过 2 个非媒体文件", "Files added: 3; skipped as not audio or video: 2"));
}

}  // namespace
}  // namespace ui_test
