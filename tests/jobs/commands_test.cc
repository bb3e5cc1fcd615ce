#include "jobs/commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace jobs {
namespace {

TEST(CommandsTest, FirstStagesAndConversionsKeepTheirArgumentOrder) {
  EXPECT_EQ(ExtractToWavCommand("/ff", "/in a.mp4", "/t/a.wav"),
            (Argv{"/ff", "-y", "-i", "/in a.mp4", "-y", "-vn", "-ar", "44100", "-ac", "2", "/t/a.wav"}));
  EXPECT_EQ(ToWavCommand("/ff", "/in", "/t.wav"), (Argv{"/ff", "-i", "/in", "-y", "-vn", "/t.wav"}));
  EXPECT_EQ(ConversionCommand("/ff", "/s.wav", "/o.mp3"), (Argv{"/ff", "-y", "-i", "/s.wav", "/o.mp3"}));
  EXPECT_EQ(CompressCommand("/ff", "/in", "/o", CompressBitrate(1)),
            (Argv{"/ff", "-i", "/in", "-y", "-ac", "2", "-ab", "96000", "-ar", "44100", "-vsync", "2", "-vn", "/o"}));
  EXPECT_EQ(CompressBitrate(0), 1280000);
  EXPECT_EQ(CompressBitrate(2), 64000);
  EXPECT_EQ(CompressBitrate(7), 128000);
  EXPECT_EQ(SilenceCommand("/ff", "/in", "/o")[5], "silenceremove=stop_periods=-1:stop_duration=2:stop_threshold=-30dB");
}

TEST(CommandsTest, PitchAndTempoOptionsAndLabels) {
  EXPECT_EQ(Semitones(0, 0, 5), 1);
  EXPECT_EQ(Semitones(1, 5, 2), -3);
  EXPECT_EQ(PitchCommand("/ss", "/i.wav", "/o.wav", -3).back(), "-pitch=-3");
  EXPECT_EQ(TempoCommand("/ss", "/i.wav", "/o.wav", 0).back(), "-tempo=0");
  EXPECT_EQ(PitchLabel(1), "升调1个半音");
  EXPECT_EQ(PitchLabel(-3), "降调3个半音");
  EXPECT_EQ(BaseName("a.b.mp3"), "a.b");
  EXPECT_EQ(BaseName("noext"), "noext");
  EXPECT_TRUE(NeedsConversion("m4a"));
  EXPECT_FALSE(NeedsConversion("wav"));
  EXPECT_FALSE(NeedsConversion("MP3"));
}

TEST(CommandsTest, MetadataPiecesInOrderWithTheCoverForMp3Only) {
  MetadataFields f{"/c over.png", "Best of", "-Band", "1999", ""};
  EXPECT_EQ(MetadataOptions(f, "mp3", "my title"),
            (Argv{"-i", "/c over.png", "-map", "0:0", "-map", "1:0", "-c", "copy", "-id3v2_version", "3", "-metadata",
                  "album=Best of", "-metadata", "artist=-Band", "-metadata", "date=1999", "-metadata",
                  "title=my title"}));
  EXPECT_EQ(MetadataOptions(f, "m4a", "t").front(), "-metadata");
  EXPECT_EQ(MetadataOptions(MetadataFields{}, "mp3", "t"), (Argv{"-metadata", "title=t"}));
  // A relative cover, even "-" or "pipe:0", stays a file name for ffmpeg.
  for (const char* cover : {"-", "pipe:0", "-cover.jpg"}) {
    EXPECT_EQ(MetadataOptions(MetadataFields{cover, "", "", "", ""}, "mp3", "t").at(1), std::string("file:") + cover);
  }
  EXPECT_EQ(MetadataCommand("/ff", "/in", {"-metadata", "title=t"}, "/o"),
            (Argv{"/ff", "-i", "/in", "-metadata", "title=t", "-y", "/o"}));
}

TEST(CommandsTest, AnOutputNeverNamesItsInput) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir.File("song.wav"), "x");
  testing_support::WriteFile(dir.File("song (2).wav"), "y");
  EXPECT_EQ(UnusedPathFor(dir.File("song.wav"), dir.File("song.wav")), dir.File("song (3).wav"));
  // The same file under another spelling is still the input.
  EXPECT_EQ(std::filesystem::path(UnusedPathFor(dir.path() + "/./song.wav", dir.File("song.wav"))).filename(),
            "song (3).wav");
  EXPECT_EQ(UnusedPathFor(dir.File("other.wav"), dir.File("song.wav")), dir.File("other.wav"));
  EXPECT_EQ(UnusedPathFor(dir.File("new/song.wav"), dir.File("song.wav")), dir.File("new/song.wav"));
}

}  // namespace
}  // namespace jobs
