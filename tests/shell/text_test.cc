#include "shell/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitStringTest, DropsEmptyPiecesLikeTheTokenizer) {
  EXPECT_EQ(SplitString("1..2.3", "."), (Pieces{"1", "2", "3"}));
  EXPECT_EQ(SplitString(".1.2.", "."), (Pieces{"1", "2"}));
  EXPECT_EQ(SplitString("a, b,,c", ", "), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitString("1.2", ""), (Pieces{"1.2"}));
  EXPECT_TRUE(SplitString("", ".").empty());
  EXPECT_TRUE(SplitString("...", ".").empty());
}

TEST(Utf8Test, KeepsWellFormedTextWhateverItsLength) {
  const std::string chinese = "C:/音乐/歌-人声.wav \xF0\x9F\x8E\xB5";
  std::string long_text;
  for (int i = 0; i < 200; ++i) long_text += "伴奏";  // far beyond 260 characters
  for (const std::string& text : {chinese, long_text, std::string("a\0b", 3)}) {
    EXPECT_EQ(Utf8ToWide(text), text);
    EXPECT_EQ(WideToUtf8(text), text);
    EXPECT_EQ(AnsiToWide(text), text);
  }
}

TEST(Utf8Test, ReplacesEachMaximalBadSubpart) {
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf8ToWide("a\x80" "b"), "a" + r + "b");               // stray continuation
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), r + r);                         // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), r + r + r);                 // surrogate
  EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), r + r + r + r);         // above U+10FFFF
  EXPECT_EQ(Utf8ToWide("\xE4\xBD" "x"), r + "x");                   // cut short, then more text
  EXPECT_EQ(Utf8ToWide("x\xF0\x9F\x8E"), "x" + r);                  // cut short at the end
  EXPECT_EQ(WideToUtf8("\xFF"), r);
  EXPECT_EQ(AnsiToWide("\xFE"), r);
}

TEST(TrimWhiteSpaceTest, TrimsAsciiAndUnicodeSpacesAtBothEndsOnly) {
  EXPECT_EQ(TrimWhiteSpace(" \t/home/a b\r\n"), "/home/a b");
  EXPECT_EQ(TrimWhiteSpace("\xE3\x80\x80/音乐\xC2\xA0\xE2\x80\x83"), "/音乐");
  EXPECT_EQ(TrimWhiteSpace(" \xE3\x80\x80 \v"), "");
  // Neighbours of spaces are no spaces: U+200B and the ideographic comma U+3001.
  EXPECT_EQ(TrimWhiteSpace("a\xE2\x80\x8B"), "a\xE2\x80\x8B");
  EXPECT_EQ(TrimWhiteSpace("、a、"), "、a、");
}

}  // namespace
}  // namespace shell
