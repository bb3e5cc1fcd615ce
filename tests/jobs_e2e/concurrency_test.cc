// Many items at once, the separation's busy guard, and removal while a job runs.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/jobs_e2e/job_fixture.h"

namespace jobs_e2e {
namespace {

using jobs::PageKind;

class ConcurrencyTest : public JobFixture {};

TEST_F(ConcurrencyTest, TenItemsAcrossThePagesAllReachTheirEndStates) {
  auto finished_companion = [this] {
    for (const jobs::FinishedRecord& r : finished_) {
      if (!r.companion.empty()) return r.companion;
    }
    return std::string();
  };
  const std::string a = Make("a.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"});
  const std::string b = Make("b.mp3", {"-f", "lavfi", "-i", "sine=frequency=660:duration=2"});
  host_.SetTempoValue(25);
  host_.SetText("audio-compress-format", "mp3");
  const std::vector<std::pair<PageKind, std::string>> items = {
      {PageKind::Extract, a},  {PageKind::Pitch, a},    {PageKind::Pitch, b},   {PageKind::Tempo, a},
      {PageKind::Tempo, b},    {PageKind::Silence, b},  {PageKind::Compress, a}, {PageKind::Reverse, a},
      {PageKind::Reverse, b},  {PageKind::Metadata, b}};
  std::vector<int32_t> numbers;
  for (const auto& [page, path] : items) numbers.push_back(Add(page, path));
  for (size_t i = 0; i < items.size(); ++i) Start(items[i].first, numbers[i]);
  ASSERT_TRUE(WaitAll());
  ASSERT_EQ(finished_.size(), items.size());
  for (const jobs::FinishedRecord& r : finished_) {
    EXPECT_TRUE(r.success) << "item " << r.item << ": " << r.cause;
    EXPECT_TRUE(std::filesystem::exists(r.output)) << r.output;
  }
  EXPECT_EQ(controller_->RunningCount(), 0u);
  // Only the separation's other stem stays, for listening.
  for (const auto& left : std::filesystem::directory_iterator(temp_dir_)) {
    if (left.path() != finished_companion()) ADD_FAILURE() << "left behind: " << left.path();
  }
}

TEST_F(ConcurrencyTest, ASecondSeparationIsRefusedWhileOneRunsWhoseRemovalIsHarmless) {
  const std::string song = Make("song.wav", {"-f", "lavfi", "-i", "sine=duration=3", "-ac", "2"});
  const int32_t first = Add(PageKind::Extract, song);
  const int32_t second = Add(PageKind::Extract, song);
  Start(PageKind::Extract, first);
  controller_->StartItem(PageKind::Extract, second, jobs::MakeTaskItem(song, 0));
  ASSERT_EQ(host_.prompts().size(), 1u);
  EXPECT_EQ(host_.prompts()[0], jobs::kBusyPrompt);
  // The refused item is untouched.
  EXPECT_TRUE(ElementOf(PageKind::Extract, second).visible.empty());
  EXPECT_EQ(controller_->busyList(), std::vector<int32_t>{first});
  // The running item leaves the list; other pages are not held back.
  host_.RemoveElement(jobs::NamesOf(PageKind::Extract).list, first);
  const int32_t pitch = Add(PageKind::Pitch, song);
  Start(PageKind::Pitch, pitch);
  ASSERT_TRUE(WaitAll());
  EXPECT_TRUE(controller_->busyList().empty());
  for (const auto& r : finished_) EXPECT_TRUE(r.success) << r.cause;
  EXPECT_FALSE(host_.GetElement(jobs::NamesOf(PageKind::Extract).list, first).has_value());
  // Free again: the second one may start now.
  Start(PageKind::Extract, second);
  ASSERT_TRUE(WaitAll());
  EXPECT_TRUE(finished_.back().success);
}

TEST_F(ConcurrencyTest, ClosingWhileJobsRunStopsTheirChildren) {
  const std::string song = Make("long.wav", {"-f", "lavfi", "-i", "sine=duration=60", "-ac", "2"});
  for (PageKind page : {PageKind::Extract, PageKind::Tempo, PageKind::Silence}) Start(page, Add(page, song));
  const auto begin = std::chrono::steady_clock::now();
  controller_.reset();  // what closing the window does
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
}

}  // namespace
}  // namespace jobs_e2e
