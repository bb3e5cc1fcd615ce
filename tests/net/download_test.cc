#include "net/download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/net/service_fixture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace net {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing_support::ReadFile;
using testing_support::WriteFile;
using vantu_service::Fault;

constexpr size_t kOneMb = 1000 * 1000;

TEST(InstallerNameTest, IsTheLastPathElementWithoutTheQuery) {
  EXPECT_EQ(UrlWithoutQuery("https://h/a/setup.exe?sig=1/2#x"), "https://h/a/setup.exe");
  EXPECT_EQ(UrlWithoutQuery("http://h/a#frag"), "http://h/a");
  EXPECT_EQ(InstallerFileName("https://h/a/setup-1.3.exe?sig=a/b"), "setup-1.3.exe");
  EXPECT_EQ(InstallerFileName("https://h/a/"), "installer");
  EXPECT_EQ(InstallerFileName("https://h/a/..?x"), "installer");
  EXPECT_EQ(InstallerFileName("setup.exe"), "setup.exe");
}

TEST(ProgressLabelTest, PercentWithASizeMegabytesWithout) {
  EXPECT_EQ(ProgressLabel({42, 420, 1000}), "42%");
  EXPECT_EQ(ProgressLabel({0, 0, 1000}), "0%");
  EXPECT_EQ(ProgressLabel({-1, 0, 0}), "0.0 MB");
  EXPECT_EQ(ProgressLabel({-1, 1572864, 0}), "1.5 MB");
  EXPECT_EQ(ProgressLabel({-1, 104857, 0}), "0.0 MB");  // rounded down
  EXPECT_EQ(ProgressLabel({-1, 5ull << 40, 0}), "5242880.0 MB");
}

TEST(AfterDownloadTest, OnlyACompleteFileIsOpenedOnlyAForcedCancelEndsTheProgram) {
  EXPECT_EQ(DecideAfterDownload(DownloadStatus::kComplete, false), AfterDownload::kOpenInstaller);
  EXPECT_EQ(DecideAfterDownload(DownloadStatus::kComplete, true), AfterDownload::kOpenInstaller);
  EXPECT_EQ(DecideAfterDownload(DownloadStatus::kCancelled, true), AfterDownload::kEndProgram);
  EXPECT_EQ(DecideAfterDownload(DownloadStatus::kCancelled, false), AfterDownload::kCloseDialog);
  EXPECT_EQ(DecideAfterDownload(DownloadStatus::kFailed, true), AfterDownload::kCloseDialog);
}

// The service offers "setup.bin" (1 MB of varied bytes); downloads land below a private
// XDG_DATA_HOME.
class DownloadTest : public net_testing::ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    for (size_t i = 0; i < kOneMb; ++i) content_ += static_cast<char>((i * 7 + i / 1000) & 0xFF);
    WriteFile(dir_.File("setup.bin"), content_);
  }

  std::string url() const { return base() + "/download/setup.bin"; }
  std::string target() const { return data_home_.path() + "/VantuAudio/Temp/setup.bin"; }

  DownloadResult Run(const std::string& address, DownloadOptions options = QuickOptions()) {
    return DownloadInstaller(
        address, cancel_, [this](const DownloadProgress& p) { progress_.push_back(p); }, options);
  }
  static DownloadOptions QuickOptions() {
    DownloadOptions options;
    options.connect_timeout = std::chrono::seconds(2);
    options.stall_timeout = std::chrono::seconds(1);
    return options;
  }

  testing_support::TempDir data_home_;
  testing_support::ScopedEnv data_home_env_{"XDG_DATA_HOME", data_home_.path()};
  std::string content_;
  std::atomic<bool> cancel_{false};
  std::vector<DownloadProgress> progress_;
};

TEST_F(DownloadTest, CompleteFileWithAboutAHundredProgressStepsAndTheQueryNotRequested) {
  const DownloadResult result = Run(url() + "?token=secret&v=2");
  EXPECT_EQ(result.status, DownloadStatus::kComplete) << result.error;
  EXPECT_EQ(result.path, target());
  EXPECT_EQ(result.received, kOneMb);
  EXPECT_TRUE(ReadFile(target()) == content_);
  const auto requests = service_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "HEAD");
  EXPECT_EQ(requests[1].method, "GET");
  for (const auto& r : requests) EXPECT_EQ(r.target, "/download/setup.bin");

  ASSERT_GE(progress_.size(), 95u);
  EXPECT_LE(progress_.size(), 101u);
  for (size_t i = 1; i < progress_.size(); ++i) {
    EXPECT_GT(progress_[i].percent, progress_[i - 1].percent);
    EXPECT_LE(progress_[i].received - progress_[i - 1].received, 1024u * 11);
  }
  EXPECT_EQ(progress_.back().percent, 100);
  EXPECT_EQ(progress_.back().total, kOneMb);
}

// A cut-off download never stands under the installer's name: an earlier installer stays, and
// the partial body is gone.
TEST_F(DownloadTest, CancelStopsAtTheNextReadAndLeavesNoPartialFile) {
  fs::create_directories(fs::path(target()).parent_path());
  WriteFile(target(), "earlier");
  const DownloadResult result = DownloadInstaller(
      url(), cancel_, [this](const DownloadProgress& p) {
        if (p.percent >= 30) cancel_ = true;
      },
      QuickOptions());
  EXPECT_EQ(result.status, DownloadStatus::kCancelled);
  EXPECT_GE(result.received, kOneMb * 30 / 100);
  EXPECT_LT(result.received, kOneMb * 31 / 100 + 1024);
  EXPECT_EQ(ReadFile(target()), "earlier");
  EXPECT_EQ(testing_support::EntryNames(fs::path(target()).parent_path().string()),
            std::set<std::string>{"setup.bin"});
}

// The service sends half the file and then nothing: the stall time-out ends the transfer, and
// a cancel is noticed long before a patient one would.
TEST_F(DownloadTest, AStalledTransferEndsAsIncompleteOrOnCancel) {
  service_.SetFault(Fault::kStallDownload);
  auto start = Clock::now();
  const DownloadResult result = Run(url());
  EXPECT_EQ(result.status, DownloadStatus::kFailed);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(6));
  EXPECT_EQ(result.received, kOneMb / 2);
  EXPECT_FALSE(result.error.empty());

  DownloadOptions patient = QuickOptions();
  patient.stall_timeout = std::chrono::seconds(60);
  std::thread canceller([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    cancel_ = true;
  });
  start = Clock::now();
  EXPECT_EQ(Run(url(), patient).status, DownloadStatus::kCancelled);
  canceller.join();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_F(DownloadTest, ATruncatedTransferOrAnEmptyFileFails) {
  WriteFile(dir_.File("empty.bin"), "");
  EXPECT_EQ(Run(base() + "/download/empty.bin").status, DownloadStatus::kFailed);  // no installer
  service_.SetFault(Fault::kTruncatedDownload);
  const DownloadResult result = Run(url());
  EXPECT_EQ(result.status, DownloadStatus::kFailed);
  EXPECT_LT(result.received, kOneMb);
  EXPECT_TRUE(testing_support::EntryNames(fs::path(target()).parent_path().string()).empty());
}

TEST_F(DownloadTest, WithoutASizeTheBodyRunsToTheEndAndBytesAreReported) {
  service_.SetFault(Fault::kNoContentLength);
  const DownloadResult result = Run(url());
  EXPECT_EQ(result.status, DownloadStatus::kComplete) << result.error;
  EXPECT_TRUE(ReadFile(target()) == content_);
  ASSERT_FALSE(progress_.empty());
  for (const auto& p : progress_) {
    EXPECT_EQ(p.percent, -1);
    EXPECT_EQ(p.total, 0u);
  }
  EXPECT_EQ(progress_.size(), 10u);  // 0.0 MB to 0.9 MB
  EXPECT_EQ(ProgressLabel(progress_.back()), "0.9 MB");
}

TEST_F(DownloadTest, AnErrorPageNeverReplacesAnEarlierFile) {
  fs::create_directories(fs::path(target()).parent_path());
  WriteFile(data_home_.path() + "/VantuAudio/Temp/missing.bin", "earlier");
  const DownloadResult result = Run(base() + "/download/missing.bin");
  EXPECT_EQ(result.status, DownloadStatus::kFailed);
  EXPECT_EQ(result.error, "HTTP status 404");
  EXPECT_EQ(ReadFile(data_home_.path() + "/VantuAudio/Temp/missing.bin"), "earlier");
}

TEST_F(DownloadTest, UnreachableOrSilentServersFailInTime) {
  EXPECT_EQ(Run(net_testing::UnreachableBaseUrl() + "/download/setup.bin").status,
            DownloadStatus::kFailed);
  service_.SetFault(Fault::kNeverAnswer);
  const auto start = Clock::now();
  EXPECT_EQ(Run(url()).status, DownloadStatus::kFailed);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(6));
}

TEST_F(DownloadTest, AnHttpsAddressIsFetchedOverVerifiedTls) {
  if (!net_testing::MakeCertificate(dir_)) GTEST_SKIP() << "openssl cannot make a certificate";
  vantu_service::Service tls({"", "", dir_.path(), dir_.File("cert.pem"), dir_.File("key.pem")});
  ASSERT_TRUE(tls.Start());
  const DownloadResult result = Run(tls.BaseUrl() + "/download/setup.bin");
  EXPECT_EQ(result.status, DownloadStatus::kFailed);
  EXPECT_NE(result.error.find("certificate"), std::string::npos) << result.error;
  EXPECT_FALSE(fs::exists(target()));
}

}  // namespace
}  // namespace net
