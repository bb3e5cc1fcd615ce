// Every page's job from its start button to a checked result, as the program runs it.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/jobs_e2e/job_fixture.h"

namespace jobs_e2e {
namespace {

using jobs::PageKind;
namespace fs = std::filesystem;

class PagesTest : public JobFixture {};

TEST_F(PagesTest, SeparationWritesTheChosenStemAsMp3) {
  const std::string song = Make("my song.mp3", {"-f", "lavfi", "-i", "sine=frequency=330:duration=4", "-ac", "2"});
  host_.SetText("audio-extract-format", "mp3");
  host_.SetSelectedIndex("audio-extract-type", 1);
  const jobs::FinishedRecord r = RunOne(PageKind::Extract, song);
  ASSERT_TRUE(r.success) << r.cause;
  EXPECT_EQ(r.output, out_dir_ + "/my song-人声.mp3");
  EXPECT_NEAR(DurationOf(r.output), 4.0, 0.1);
  EXPECT_NE(Probe(r.output, "stream=channels").find("channels=2"), std::string::npos);
  EXPECT_FALSE(fs::exists(out_dir_ + "/my song-人声.wav"));  // the intermediate is gone
  // The other stem of the run waits in the temporary folder for the player; nothing else does.
  EXPECT_EQ(r.companion, temp_dir_ + "/my song.0-伴奏.wav");
  EXPECT_NEAR(DurationOf(r.companion), 4.0, 0.1);
  EXPECT_EQ(testing_support::EntryNames(temp_dir_).size(), 1u);
  EXPECT_TRUE(controller_->busyList().empty());

  // Type 0 is the accompaniment; "wav" keeps the stem as it is.
  host_.SetText("audio-extract-format", "wav");
  host_.SetSelectedIndex("audio-extract-type", 0);
  const jobs::FinishedRecord wav = RunOne(PageKind::Extract, song);
  ASSERT_TRUE(wav.success) << wav.cause;
  EXPECT_EQ(wav.output, out_dir_ + "/my song-伴奏.wav");
}

TEST_F(PagesTest, PitchRaisesAToneByThreeSemitones) {
  const std::string tone = Make("tone.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=3"});
  host_.SetSelectedIndex("audio-pitch-type", 0);
  host_.SetSelectedIndex("audio-high-pitch", 2);
  host_.SetText("audio-pitch-format", "flac");
  const jobs::FinishedRecord r = RunOne(PageKind::Pitch, tone);
  ASSERT_TRUE(r.success) << r.cause;
  EXPECT_EQ(r.output, out_dir_ + "/tone-升调3个半音.flac");
  const std::vector<float> samples = Decode(r.output);
  EXPECT_NEAR(ToneFrequency(samples, 44100, 2 * 44100), 523.25, 8.0);
  EXPECT_NEAR(samples.size() / 44100.0, 3.0, 0.15);  // the tempo stays

  host_.SetSelectedIndex("audio-pitch-type", 1);
  host_.SetSelectedIndex("audio-low-pitch", 11);
  const jobs::FinishedRecord down = RunOne(PageKind::Pitch, tone);
  ASSERT_TRUE(down.success) << down.cause;
  EXPECT_EQ(down.output, out_dir_ + "/tone-降调12个半音.flac");
  EXPECT_NEAR(ToneFrequency(Decode(down.output), 44100, 2 * 44100), 220.0, 5.0);
}

TEST_F(PagesTest, TempoPlusFiftyTakesTwoThirdsOfTheTimeAndNeverWritesOverItsInput) {
  const std::string tone = Make("beat.mp3", {"-f", "lavfi", "-i", "sine=frequency=440:duration=6"});
  host_.SetTempoValue(50);
  host_.SetText("audio-tempo-format", "mp3");
  const jobs::FinishedRecord r = RunOne(PageKind::Tempo, tone);
  ASSERT_TRUE(r.success) << r.cause;
  EXPECT_EQ(r.output, out_dir_ + "/beat.mp3");
  EXPECT_NEAR(DurationOf(r.output), 4.0, 0.2);
  EXPECT_NEAR(ToneFrequency(Decode(r.output), 22050, 3 * 44100), 440.0, 6.0);

  // An input in the output folder, of the result's own name, stays as it was.
  const std::string input = Make("out/same.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"});
  const std::string before = testing_support::ReadFile(input);
  host_.SetText("audio-tempo-format", "wav");
  const jobs::FinishedRecord same = RunOne(PageKind::Tempo, input);
  ASSERT_TRUE(same.success) << same.cause;
  EXPECT_EQ(same.output, out_dir_ + "/same (2).wav");
  EXPECT_EQ(testing_support::ReadFile(input), before);
}

TEST_F(PagesTest, SilenceRemovesALongPause) {
  const std::string input = Make("pause.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-f", "lavfi",
                                               "-i", "anullsrc=r=44100:cl=mono:d=5", "-f", "lavfi", "-i",
                                               "sine=frequency=440:duration=2", "-filter_complex",
                                               "[0][1][2]concat=n=3:v=0:a=1"});
  ASSERT_NEAR(DurationOf(input), 9.0, 0.1);
  const jobs::FinishedRecord r = RunOne(PageKind::Silence, input);
  ASSERT_TRUE(r.success) << r.cause;
  EXPECT_LT(DurationOf(r.output), 6.5);
  EXPECT_GT(DurationOf(r.output), 3.9);
}

TEST_F(PagesTest, CompressLevelTwoGivesSixtyFourKilobits) {
  const std::string input = Make("loud.wav", {"-f", "lavfi", "-i", "anoisesrc=d=5:a=0.3", "-ac", "2"});
  host_.SetCompressLevel(2);
  host_.SetText("audio-compress-format", "mp3");
  const jobs::FinishedRecord r = RunOne(PageKind::Compress, input);
  ASSERT_TRUE(r.success) << r.cause;
  const std::string info = Probe(r.output, "stream=bit_rate,sample_rate,channels");
  EXPECT_NE(info.find("bit_rate=64000"), std::string::npos) << info;
  EXPECT_NE(info.find("sample_rate=44100"), std::string::npos) << info;
  EXPECT_NE(info.find("channels=2"), std::string::npos) << info;
}

TEST_F(PagesTest, ReverseTurnsARisingSweepIntoAFallingOne) {
  const std::string sweep =
      Make("sweep.wav", {"-f", "lavfi", "-i", "aevalsrc=sin(2*PI*(200*t+100*t*t)):s=44100:d=4"});
  const jobs::FinishedRecord r = RunOne(PageKind::Reverse, sweep);
  ASSERT_TRUE(r.success) << r.cause;
  const std::vector<float> in = Decode(sweep), out = Decode(r.output);
  ASSERT_EQ(in.size(), out.size());
  EXPECT_LT(ToneFrequency(in, 0, 22050), ToneFrequency(in, in.size() - 22050, in.size()));
  EXPECT_GT(ToneFrequency(out, 0, 22050), ToneFrequency(out, out.size() - 22050, out.size()));
}

TEST_F(PagesTest, MetadataWritesTagsWholeAndTheMp3Cover) {
  const std::string song = Make("track one.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"});
  const std::string cover = Make("cover art.png", {"-f", "lavfi", "-i", "color=c=red:s=64x64:d=1", "-frames:v", "1"});
  host_.SetText("audio-metadata-format", "mp3");
  host_.SetText("cover-edit", cover);
  host_.SetText("album-edit", "Greatest Hits \"Vol. 2\"");
  host_.SetText("artist-edit", "-The Band");
  host_.SetText("year-edit", "1999");
  host_.SetText("genre-edit", "Rock & Roll");
  // A cover with -c copy needs an mp3 input stream to copy.
  const std::string mp3 = Make("track one.mp3", {"-i", song});
  const jobs::FinishedRecord r = RunOne(PageKind::Metadata, mp3);
  ASSERT_TRUE(r.success) << r.cause;
  EXPECT_EQ(r.output, out_dir_ + "/track one.mp3");
  const std::string tags = Probe(r.output, "format_tags");
  EXPECT_NE(tags.find("TAG:album=Greatest Hits \"Vol. 2\""), std::string::npos) << tags;
  EXPECT_NE(tags.find("TAG:artist=-The Band"), std::string::npos) << tags;
  EXPECT_NE(tags.find("TAG:genre=Rock & Roll"), std::string::npos) << tags;
  EXPECT_NE(tags.find("TAG:title=track one"), std::string::npos) << tags;
  EXPECT_NE(tags.find("TAG:date=1999"), std::string::npos) << tags;
  EXPECT_NE(Probe(r.output, "stream=codec_name").find("codec_name=png"), std::string::npos);

  // The same cover with another format is left out; the title is always written.
  host_.SetText("audio-metadata-format", "m4a");
  host_.SetText("album-edit", "");
  const jobs::FinishedRecord m4a = RunOne(PageKind::Metadata, song);
  ASSERT_TRUE(m4a.success) << m4a.cause;
  EXPECT_EQ(Probe(m4a.output, "stream=codec_type").find("codec_type=video"), std::string::npos);
  EXPECT_NE(Probe(m4a.output, "format_tags").find("title=track one"), std::string::npos);
}

}  // namespace
}  // namespace jobs_e2e
