#include "shell/ini_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace shell {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

class IniFileTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& key) {
    return ReadIniString(kConfigSection, key, "<default>", ini_);
  }
  int ReadInt(const std::string& key) { return ReadIniInt(kConfigSection, key, 42, ini_); }
  size_t FilesInFolder() { return testing_support::EntryNames(dir_.path()).size(); }

  TempDir dir_;
  const std::string ini_ = dir_.File("configure.ini");
};

TEST_F(IniFileTest, ReadsLikeTheProfileFunctions) {
  EXPECT_EQ(Read(kKeyOutputDir), "<default>");  // no file
  EXPECT_EQ(ReadInt(kKeyWindowClose), 42);
  WriteFile(ini_, "\xEF\xBB\xBF[other]\r\nwindow-close=1\r\n[ Global ]\r\n;window-close=2\r\n"
                  "  Output-Dir =  /home/u/音乐  \r\nservice-url=\"http://x/\"\r\n"
                  "output-dir=/second\r\nuser-real-ip=\r\n[global]\r\nwindow-close=3\r\n");
  EXPECT_EQ(Read(kKeyOutputDir), "/home/u/音乐");  // names ignore case; the first key counts
  EXPECT_EQ(Read(kKeyServiceUrl), "http://x/");    // enclosing quotes go
  EXPECT_EQ(Read(kKeyUserRealIp), "");             // present but empty is not missing
  EXPECT_EQ(ReadInt(kKeyUserRealIp), 42);
  EXPECT_EQ(ReadInt(kKeyWindowClose), 42);  // other sections, comments, second [global]: unseen
}

TEST_F(IniFileTest, IntegersTakeTheLeadingDigits) {
  WriteFile(ini_, "[global]\na=12abc\nb= -3\nc=abc\nd=99999999999\ne=-99999999999\nf='5'\n");
  const std::pair<const char*, int> expected[] = {
      {"a", 12}, {"b", -3}, {"c", 0}, {"d", INT_MAX}, {"e", INT_MIN}, {"f", 5}};
  for (const auto& [key, value] : expected) EXPECT_EQ(ReadInt(key), value) << key;
}

TEST_F(IniFileTest, WriteCreatesFileAndSection) {
  ASSERT_TRUE(WriteIniString(kConfigSection, kKeyWindowClose, "1", ini_));
  EXPECT_EQ(ReadFile(ini_), "[global]\nwindow-close=1\n");
  EXPECT_FALSE(WriteIniString(kConfigSection, "k", "v", dir_.File("missing/configure.ini")));
}

TEST_F(IniFileTest, WriteChangesOneLineAndKeepsEverythingElse) {
  WriteFile(dir_.File("real.ini"), "; settings\r\n[global]\r\nOUTPUT-DIR=/old\r\nwindow-close=0\r\n"
                                   "\r\n[other]\r\nkey=v\r\n");
  ASSERT_EQ(chmod(dir_.File("real.ini").c_str(), 0640), 0);
  fs::create_symlink(dir_.File("real.ini"), ini_);
  ASSERT_TRUE(WriteIniString(kConfigSection, kKeyOutputDir, "/new dir", ini_));
  ASSERT_TRUE(WriteIniString(kConfigSection, kKeyUserRealIp, "1.2.3.4", ini_));
  ASSERT_TRUE(WriteIniString("third", "x", "y", ini_));
  EXPECT_FALSE(WriteIniString(kConfigSection, "k", "a\nb=c", ini_));
  EXPECT_FALSE(WriteIniString(kConfigSection, "a=b", "v", ini_));
  EXPECT_FALSE(WriteIniString(kConfigSection, "", "v", ini_));
  EXPECT_FALSE(WriteIniString("glo]bal", "k", "v", ini_));
  EXPECT_EQ(ReadFile(ini_), "; settings\r\n[global]\r\noutput-dir=/new dir\r\nwindow-close=0\r\n"
                            "user-real-ip=1.2.3.4\r\n\r\n[other]\r\nkey=v\r\n[third]\r\nx=y\r\n");
  EXPECT_TRUE(fs::is_symlink(ini_));
  EXPECT_EQ(fs::status(ini_).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_EQ(FilesInFolder(), 2u);  // no temporary file left
}

TEST_F(IniFileTest, ConcurrentWritersLoseNothing) {
  const auto key = [](int t, int k) { return "t" + std::to_string(t) + "-" + std::to_string(k); };
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < 25; ++k) {
        EXPECT_TRUE(WriteIniString(kConfigSection, key(t, k), std::to_string(k), ini_));
        EXPECT_EQ(ReadInt(key(t, k)), k);  // a reader never sees half a file
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < 8; ++t) {
    for (int k = 0; k < 25; ++k) EXPECT_EQ(ReadInt(key(t, k)), k);
  }
  EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
}  // namespace shell
