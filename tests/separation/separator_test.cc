#include "separation/separator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>

#include "separation/audio/wav_audio_adapter.h"
#include "separation/check.h"
#include "separation/write_failure.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/log_capture.h"
#include "tests/support/message_of.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_bytes.h"

namespace separation {
namespace {

using testing_support::LogCapture;
using testing_support::MessageOf;
using testing_support::ReadFile;
using testing_support::ReadU16;
using testing_support::ReadU32;
using testing_support::TempDir;
using testing_support::WriteFile;

const std::string kModels = TEST_MODELS_DIR;

TEST(WavAudioAdapterTest, LoadsWholeFilesAndReportsFailuresWithTheirCodes) {
  TempDir dir;
  LogCapture log;
  WavAudioAdapter adapter;
  // 16-bit stereo whose data size is not a multiple of 4: the last incomplete frame is dropped.
  std::string bytes = testing_support::Wav16(2, 22050, {100, 200, 300, 400, 500});
  WriteFile(dir.File("odd.wav"), bytes);
  const Waveform w = adapter.Load(dir.File("odd.wav"), 0.0, 18000.0, -1);
  EXPECT_EQ(w.nb_frames, 2);
  EXPECT_EQ(w.nb_channels, 2);
  EXPECT_EQ(w.data.size(), 4u);
  EXPECT_EQ(adapter.GetProperties().sample_rate, 22050);
  EXPECT_EQ(adapter.GetProperties().nb_frames, 2);
  EXPECT_TRUE(log.Has(google::GLOG_INFO, "wav_audio_adapter.cc",
                      "Loaded waveform from " + dir.File("odd.wav") + " using WavFile."));

  // A mono file loads as one channel.
  WriteFile(dir.File("mono.wav"), testing_support::Wav16(1, 44100, {1, 2, 3}));
  EXPECT_EQ(adapter.Load(dir.File("mono.wav"), 0, 0, -1).nb_channels, 1);

  WriteFile(dir.File("24.wav"), testing_support::Riff(
                                    testing_support::Chunk("fmt ", testing_support::FmtBody({1, 2, 44100, 24})) +
                                    testing_support::Chunk("data", std::string(6, '\0'))));
  EXPECT_EQ(MessageOf([&] { adapter.Load(dir.File("24.wav"), 0, 0, -1); }),
            "Check failed: !ret Unable to open " + dir.File("24.wav") + ", only *.wav is supported! (Returned: 3)");
  // A failed load keeps the properties of the last good one.
  EXPECT_EQ(adapter.GetProperties().nb_channels, 1);

  // A file cut short loads the frames that are really there.
  bytes = testing_support::Wav16(2, 44100, {1, 2, 3, 4, 5, 6});
  WriteFile(dir.File("cut.wav"), bytes.substr(0, bytes.size() - 5));
  EXPECT_EQ(adapter.Load(dir.File("cut.wav"), 0, 0, -1).nb_frames, 1);
}

TEST(WavAudioAdapterTest, SavesSixteenBitFilesWithTheWaveformsChannels) {
  TempDir dir;
  WavAudioAdapter adapter;
  adapter.Save(dir.File("mono.mp3"), Waveform{3, 1, {0.5f, -0.5f, 1.0f}}, -1, "mp3", 320000);
  std::string b = ReadFile(dir.File("mono.mp3"));
  ASSERT_EQ(b.size(), 50u);  // still a 16-bit WAV, whatever the codec says
  EXPECT_EQ(ReadU16(b, 22), 1);
  EXPECT_EQ(ReadU32(b, 24), 44100u);  // -1 keeps the header's rate
  EXPECT_EQ(ReadU16(b, 34), 16);

  adapter.Save(dir.File("empty.wav"), Waveform{}, 48000, "wav", 128000);
  b = ReadFile(dir.File("empty.wav"));
  ASSERT_EQ(b.size(), 44u);
  EXPECT_EQ(ReadU32(b, 4), 36u);
  EXPECT_EQ(ReadU32(b, 40), 0u);
  EXPECT_EQ(ReadU32(b, 24), 48000u);

  EXPECT_EQ(MessageOf([&] { adapter.Save(dir.File("no/dir.wav"), Waveform{}, 44100, "wav", 0); }),
            dir.File("no/dir.wav") + " could not be written: its folder no longer exists");
}

// A write that fails part-way (here past a file-size limit) throws WriteFailure in words,
// leaves no partial file, and keeps the file that held the name before.
TEST(WavAudioAdapterTest, AFailedSaveLeavesTheEarlierFileAndNoPartialOne) {
  TempDir dir;
  WriteFile(dir.File("stem.wav"), "an earlier result");
  const Waveform big{100000, 2, std::vector<float>(200000, 0.25f)};  // 400 kB at 16 bits
  WavAudioAdapter adapter;
  std::string message;
  {
    testing_support::FileSizeLimit limit(64 * 1024);
    message = MessageOf<WriteFailure>([&] { adapter.Save(dir.File("stem.wav"), big, 44100, "wav", 0); });
  }
  EXPECT_EQ(message, dir.File("stem.wav") + " could not be written: the file would be larger than the file size limit allows");
  EXPECT_EQ(ReadFile(dir.File("stem.wav")), "an earlier result");
  EXPECT_EQ(testing_support::EntryNames(dir.path()), std::set<std::string>{"stem.wav"});

  // A complete save replaces it.
  adapter.Save(dir.File("stem.wav"), Waveform{1, 2, {0.5f, 0.5f}}, 44100, "wav", 0);
  EXPECT_EQ(ReadFile(dir.File("stem.wav")).size(), 48u);
}

TEST(WriteFailureTest, PartialNamesAndTheirWriters) {
  const std::string partial = PartialPathFor("/out/song-人声.mp3", "7");
  EXPECT_EQ(partial, "/out/.vantu-partial-" + std::to_string(getpid()) + "-7-song-人声.mp3");
  EXPECT_EQ(PartialPathFor("bare.wav", "1").rfind(".vantu-partial-", 0), 0u);
  const struct {
    const char* name;
    long writer;
  } kNames[] = {
      {".vantu-partial-42-3-song.wav", 42}, {".vantu-partial-42", 0},        {".vantu-partial--1-x", 0},
      {".vantu-partial-x-1-y", 0},          {"song.wav", 0},                 {".vantu-partial-99999999999999999999-1-a", 0},
  };
  for (const auto& n : kNames) EXPECT_EQ(PartialWriterOf(n.name), n.writer) << n.name;
  const struct {
    int error;
    const char* text;
  } kErrors[] = {{ENOSPC, "the disk is full"}, {EDQUOT, "the disk is full"}, {EROFS, "the disk is read-only"},
                 {ENOENT, "its folder no longer exists"}, {0, "the write failed"}, {EISDIR, "is a directory"}};
  for (const auto& e : kErrors) EXPECT_EQ(WriteErrorText(e.error), e.text) << e.error;
}

class SeparatorTest : public ::testing::Test {
 protected:
  // The job's options for the vocals of song.wav into out/, with the model and output asked for.
  SeparatorOptions Options(const std::string& model, const std::string& output_name) {
    SeparatorOptions o = StemOptions(dir_.File("song.wav"), dir_.File("out"), kModels + "/" + model, true, "song-人声");
    o.params.output_tensor_names = {output_name};
    return o;
  }
  void SetUp() override { WriteFile(dir_.File("song.wav"), testing_support::Wav16(2, 22050, {32767, -32767, 8000, 0})); }
  TempDir dir_;
};

TEST_F(SeparatorTest, WritesTheStemIntoAFolderItCreates) {
  LogCapture log;
  SeparatorApp app(Options("scale", "strided_slice_13"));
  app.Run();
  const std::string out = dir_.File("out/song-人声.wav");
  const std::string b = ReadFile(out);
  ASSERT_EQ(b.size(), 44u + 8u);
  EXPECT_EQ(ReadU16(b, 22), 2);
  EXPECT_EQ(ReadU32(b, 24), 44100u);  // the constant rate, whatever the input's was
  EXPECT_EQ(static_cast<int16_t>(ReadU16(b, 44)), 16383);  // half of full scale, truncated
  EXPECT_EQ(static_cast<int16_t>(ReadU16(b, 46)), -16383);
  EXPECT_TRUE(log.Has(google::GLOG_INFO, "separator.cc", "Successfully executed separator!!"));
  EXPECT_TRUE(log.Has(google::GLOG_INFO, "wav_audio_adapter.cc", "Saved waveform to " + out + " using WavFile."));

  // Into an existing folder, with a trailing separator and another codec: only the name changes.
  SeparatorOptions o = Options("scale", "strided_slice_23");
  o.destination = dir_.File("out/");
  o.codec = "mp3";
  o.stem_name = "song-伴奏";
  SeparatorApp(o).Run();
  EXPECT_TRUE(std::filesystem::exists(dir_.File("out//song-伴奏.mp3")));
  EXPECT_EQ(ReadFile(dir_.File("out/song-伴奏.mp3")).substr(0, 4), "RIFF");
}

TEST_F(SeparatorTest, ACompanionStemComesFromTheSameRun) {
  // The stem asked for goes to the output folder, the other one where the companion asks.
  for (const bool vocals : {true, false}) {
    SeparatorOptions o = StemOptions(dir_.File("song.wav"), dir_.File("out"), kModels + "/scale", vocals, "stem");
    AddCompanionStem(&o, dir_.File("other.wav"));
    AddCompanionStem(&o, dir_.File("other.wav"));  // twice is the same as once
    ASSERT_EQ(o.params.output_tensor_names.size(), 2u);
    SeparatorApp(o).Run();
    const int16_t half = 16383, quarter = 8191;
    EXPECT_EQ(static_cast<int16_t>(ReadU16(ReadFile(dir_.File("out/stem.wav")), 44)), vocals ? half : quarter);
    EXPECT_EQ(static_cast<int16_t>(ReadU16(ReadFile(dir_.File("other.wav")), 44)), vocals ? quarter : half);
  }
  SeparatorOptions one = Options("fails", "strided_slice_13");
  AddCompanionStem(&one, dir_.File("other2.wav"));
  EXPECT_NE(MessageOf([&] { SeparatorApp(one).Run(); }).find("Check failed"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("other2.wav")));
}

TEST_F(SeparatorTest, CreatesOnlyTheLastFolderLevelAndOnlyForAStem) {
  LogCapture log;
  SeparatorOptions o = Options("scale", "strided_slice_13");
  o.destination = dir_.File("missing/out");
  SeparatorApp app(o);
  try {
    app.Run();
    FAIL() << "no error";
  } catch (const std::filesystem::filesystem_error& e) {
    EXPECT_STREQ(e.what(), "create_directory(p): invalid argument");
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("missing")));
  EXPECT_FALSE(log.Has(google::GLOG_INFO, "separator.cc", "Successfully executed separator!!"));

  // A model run that fetches nothing writes nothing and still succeeds.
  SeparatorOptions empty = Options("shapes", "first_channel");
  empty.params.output_tensor_names.clear();
  SeparatorApp(empty).Run();
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out")));
  EXPECT_TRUE(log.Has(google::GLOG_INFO, "separator.cc", "Successfully executed separator!!"));
}

// A model that does not load fails in the constructor: the engine's cases and vantu-separate's.
TEST_F(SeparatorTest, FailuresEndTheRunWithTheirMessages) {
  SeparatorOptions o = Options("scale", "strided_slice_13");
  o.input = dir_.File("absent.wav");
  SeparatorApp app(o);
  EXPECT_EQ(MessageOf([&] { app.Run(); }),
            "Check failed: !ret Unable to open " + o.input + ", only *.wav is supported! (Returned: 1)");

  SeparatorApp bad_name(Options("scale", "strided_slice_99"));
  EXPECT_NE(MessageOf([&] { bad_name.Run(); }).find("Unable to run Session"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out")));
}

}  // namespace
}  // namespace separation
