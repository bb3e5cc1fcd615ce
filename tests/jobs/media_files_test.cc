#include "jobs/media_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

namespace fs = std::filesystem;

// A music folder as users have them: media of every kind, other files, hidden entries, a
// link back to the top (a loop) and a dangling link.
class MediaFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteFiles(dir_.path(), {"b.mp3", "a.MP3", "10 song.wav", "2 song.wav", "notes.txt", "cover.jpg",
                                              ".hidden.mp3", "clip.webm", "video.mkv", ".cache/x.mp3", "sub/c.flac",
                                              "sub/d.mp4", "sub/e.ogv"});
    ASSERT_EQ(symlink("..", dir_.File("sub/loop").c_str()), 0);
    ASSERT_EQ(symlink("nowhere.mp3", dir_.File("broken.mp3").c_str()), 0);
  }

  std::vector<std::string> Under(const std::vector<std::string>& names) const {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(dir_.File(name));
    return paths;
  }

  testing_support::TempDir dir_;
};

TEST_F(MediaFilesTest, AFolderGivesEachPageItsOwnMediaInNameOrder) {
  const std::vector<std::string> extract = {"2 song.wav", "10 song.wav", "a.MP3",    "b.mp3",    "clip.webm",
                                            "sub/c.flac", "sub/d.mp4",   "sub/e.ogv", "video.mkv"};
  const std::vector<std::string> pitch = {"2 song.wav", "10 song.wav", "a.MP3",    "b.mp3",
                                          "sub/c.flac", "sub/d.mp4",   "video.mkv"};
  const std::vector<std::string> audio = {"2 song.wav", "10 song.wav", "a.MP3", "b.mp3", "sub/c.flac"};
  const struct {
    PageKind page;
    const std::vector<std::string>& files;
    size_t skipped;
  } cases[] = {
      {Extract, extract, 2}, {Pitch, pitch, 4},    {Tempo, audio, 6},    {Silence, audio, 6},
      {Compress, audio, 6},  {Reverse, audio, 6},  {Metadata, audio, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ShortName(c.page));
    const MediaFiles found = ExpandMediaPaths(c.page, {dir_.path()});
    EXPECT_EQ(found.files, Under(c.files));
    EXPECT_EQ(found.skipped, c.skipped);
  }
}

TEST_F(MediaFilesTest, NamedPathsKeepTheirOrderAndFolderLinksAreWalkedOnce) {
  fs::remove(dir_.File("sub/loop"));
  ASSERT_EQ(symlink(dir_.File("sub").c_str(), dir_.File("again").c_str()), 0);
  // A file named directly, a folder reached twice (through a link), a hidden folder named
  // directly, a missing path.
  const MediaFiles found = ExpandMediaPaths(
      Tempo, {dir_.File("b.mp3"), dir_.File("notes.txt"), dir_.File("sub"), dir_.File("again"), dir_.File(".cache"),
              dir_.File("missing"), ""});
  EXPECT_EQ(found.files, Under({"b.mp3", "sub/c.flac", ".cache/x.mp3"}));
  EXPECT_EQ(found.skipped, 3u);  // notes.txt, d.mp4, e.ogv

  // Kept names stand even when missing (a name typed into the dialog): their job says why not.
  const MediaFiles kept =
      ExpandMediaPaths(Tempo, {dir_.File("notes.txt"), dir_.File("typed.mp3"), dir_.File("sub")}, NamedFiles::kKeep);
  EXPECT_EQ(kept.files, Under({"notes.txt", "typed.mp3", "sub/c.flac"}));
  EXPECT_EQ(kept.skipped, 2u);
}

TEST(MediaFileNameTest, PatternsOfThePages) {
  const struct {
    PageKind page;
    const char* name;
    bool media;
  } cases[] = {
      {Extract, "song.FLAC", true}, {Extract, "film.ogv", true},   {Extract, "ogv", false},
      {Extract, "list.m3u8", true}, {Pitch, "clip.3gpp", true},    {Pitch, "clip.webm", false},
      {Metadata, "a.wma", true},    {Metadata, "a.mp4", false},    {Silence, "mp3", false},
      {Silence, "a.mp3.txt", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsMediaFileName(c.page, c.name), c.media) << ShortName(c.page) << " " << c.name;
  }
}

TEST(NameOrderTest, NumbersByValueLettersWithoutCase) {
  const struct {
    const char* a;
    const char* b;
  } ordered[] = {
      {"2.mp3", "10.mp3"}, {"Track 9", "track 10"}, {"a", "B"}, {"A", "a"},  {"01", "1"},
      {"x1y", "x01z"},     {"abc", "abcd"},         {"", "a"},  {"9", "a"}, {"z", "\xe4\xb8\xad"},
  };
  for (const auto& c : ordered) {
    EXPECT_TRUE(NameLess(c.a, c.b)) << c.a << " < " << c.b;
    EXPECT_FALSE(NameLess(c.b, c.a)) << c.b << " < " << c.a;
  }
  EXPECT_FALSE(NameLess("same", "same"));
}

}  // namespace
}  // namespace jobs
