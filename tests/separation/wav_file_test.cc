#include "separation/audio/wav_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/support/wav_bytes.h"

namespace separation {
namespace {

using testing_support::Chunk;
using testing_support::FmtBody;
using testing_support::ReadFile;
using testing_support::ReadU16;
using testing_support::ReadU32;
using testing_support::Riff;
using testing_support::TempDir;
using testing_support::U16;
using testing_support::U32;
using testing_support::WriteFile;

class WavFileTest : public ::testing::Test {
 protected:
  // Writes `bytes` to a file and opens it for reading.
  int OpenBytes(WavFile& file, const std::string& bytes) {
    const std::string path = dir_.File("in.wav");
    WriteFile(path, bytes);
    return file.Open(path, 0);
  }
  // Writes `samples` at `bits` per sample and returns the file's bytes.
  std::string WriteSamples(uint16_t bits, const std::vector<float>& samples) {
    const std::string path = dir_.File("out.wav");
    {
      WavFile file;
      EXPECT_EQ(file.Open(path, WavFile::kWrite), kWavOk);
      file.header().bits_per_sample = bits;
      EXPECT_EQ(file.Write(samples), kWavOk);
    }
    return ReadFile(path);
  }
  TempDir dir_;
};

TEST_F(WavFileTest, RefusesFilesThatAreNotAcceptablePcm) {
  const std::string data = Chunk("data", std::string(8, '\0'));
  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"43 bytes", std::string(43, 'R')},
      {"no data chunk", Riff(Chunk("fmt ", FmtBody({})) + Chunk("LIST", std::string(20, 'x')))},
      {"no fmt chunk", Riff(Chunk("LIST", std::string(20, 'x')) + data)},
      {"not RIFF", "RIFX" + Riff(Chunk("fmt ", FmtBody({})) + data).substr(4)},
      {"not WAVE", "RIFF" + U32(36) + "AVI " + Chunk("fmt ", FmtBody({})) + data},
      {"floating point", Riff(Chunk("fmt ", FmtBody({3})) + data)},
      {"extensible", Riff(Chunk("fmt ", FmtBody({65534})) + data)},
      {"24-bit", Riff(Chunk("fmt ", FmtBody({1, 2, 44100, 24})) + data)},
      {"zero channels", Riff(Chunk("fmt ", FmtBody({1, 0})) + data)},
      {"fmt cut by the end of the file", Riff(Chunk("data", std::string(40, '\0')) + "fmt " + U32(16) + "abc")},
  };
  for (const Case& c : cases) {
    WavFile file;
    EXPECT_EQ(OpenBytes(file, c.bytes), kWavUnacceptable) << c.what;
  }
}

TEST_F(WavFileTest, ChunkWalkStepsOverOtherChunksAndLongFmt) {
  const std::string samples = U16(16384) + U16(static_cast<uint16_t>(-16384));
  // fmt of 18 bytes (cbSize), a LIST chunk and an odd-sized chunk stepped without a pad byte.
  const std::string bytes = Riff(Chunk("fmt ", FmtBody({1, 1}) + U16(0)) + Chunk("LIST", std::string(26, 'i')) +
                                 Chunk("junk", "abc") + Chunk("data", samples));
  WavFile file;
  ASSERT_EQ(OpenBytes(file, bytes), kWavOk);
  EXPECT_EQ(file.header().num_channels, 1);
  EXPECT_EQ(file.header().data_size, 4u);
  EXPECT_EQ(file.data_start(), static_cast<int64_t>(bytes.size() - 4));
  std::vector<float> out;
  ASSERT_EQ(file.Read(2, out), kWavOk);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_FLOAT_EQ(out[0], 16384.0f / 32767.0f);
  EXPECT_FLOAT_EQ(out[1], -16384.0f / 32767.0f);
}

TEST_F(WavFileTest, ReadsEveryWidthAtFullScale) {
  WavFile file8;
  ASSERT_EQ(OpenBytes(file8, Riff(Chunk("fmt ", FmtBody({1, 1, 44100, 8})) +
                                  Chunk("data", std::string("\xff\x80\x00\x01", 4)))),
            kWavOk);
  std::vector<float> out;
  ASSERT_EQ(file8.Read(4, out), kWavOk);
  EXPECT_EQ(out, (std::vector<float>{1.0f, 0.0f, -128.0f / 127.0f, -1.0f}));

  WavFile file32;
  ASSERT_EQ(OpenBytes(file32, Riff(Chunk("fmt ", FmtBody({1, 1, 44100, 32})) +
                                   Chunk("data", U32(2147483647u) + U32(0x80000000u) + U32(1073741824u)))),
            kWavOk);
  ASSERT_EQ(file32.Read(3, out), kWavOk);
  EXPECT_EQ(out[0], 1.0f);  // the integer becomes a float before scaling
  EXPECT_EQ(out[1], -1.0f);
  EXPECT_EQ(out[2], 0.5f);
}

TEST_F(WavFileTest, WritesEveryWidthTruncatingAndClampingOutOfRangeSamples) {
  const std::vector<float> in = {1.0f, -1.0f, 0.5f, 2.0f, -3.0f, 0.99999f};
  const std::string b16 = WriteSamples(16, in);
  ASSERT_EQ(b16.size(), 44u + 12u);
  const std::vector<int16_t> want16 = {32767, -32767, 16383, 32767, -32767, 32766};
  for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(static_cast<int16_t>(ReadU16(b16, 44 + 2 * i)), want16[i]) << i;

  const std::string b32 = WriteSamples(32, in);
  const std::vector<int32_t> want32 = {2147483647, -2147483647 - 1, 1073741824, 2147483647, -2147483647 - 1};
  for (size_t i = 0; i < want32.size(); ++i) {
    EXPECT_EQ(static_cast<int32_t>(ReadU32(b32, 44 + 4 * i)), want32[i]) << i;
  }

  const std::string b8 = WriteSamples(8, {1.0f, -1.0f, 0.0f, 5.0f});
  EXPECT_EQ(b8.substr(44), std::string("\xff\x01\x80\xff", 4));

  const std::string b24 = WriteSamples(24, {1.0f, -1.0f});
  EXPECT_EQ(b24.substr(44), std::string("\xff\xff\x7f\x01\x00\x80", 6));
  EXPECT_EQ(ReadU16(b24, 32), 3);  // block align of one 24-bit channel
}

TEST_F(WavFileTest, EveryWriteLeavesAValidHeaderWithTheRunningTotal) {
  const std::string path = dir_.File("two.wav");
  WavFile file;
  ASSERT_EQ(file.Open(path, WavFile::kWrite), kWavOk);
  file.header().num_channels = 2;
  file.header().sample_rate = 22050;
  const std::vector<float> ten(10, 0.25f);
  ASSERT_EQ(file.Write(ten), kWavOk);
  EXPECT_EQ(file.Tell(), 10);
  ASSERT_EQ(file.Write(ten), kWavOk);
  ASSERT_EQ(file.Close(), kWavOk);
  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 84u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(ReadU32(bytes, 4), 76u);
  EXPECT_EQ(ReadU32(bytes, 24), 22050u);
  EXPECT_EQ(ReadU32(bytes, 28), 22050u * 4);
  EXPECT_EQ(ReadU16(bytes, 32), 4);
  EXPECT_EQ(ReadU32(bytes, 40), 40u);

  // What was written reads back.
  WavFile back;
  ASSERT_EQ(back.Open(path, 0), kWavOk);
  std::vector<float> out;
  ASSERT_EQ(back.Read(10, out), kWavOk);
  EXPECT_NEAR(out[19], 0.25f, 1.0f / 32767);
}

TEST_F(WavFileTest, NeverReadsPastTheDataOrTheRealEndOfTheFile) {
  // A canonical empty file opens and reads nothing.
  WavFile empty;
  const std::string no_samples = testing_support::Wav16(2, 44100, {});
  ASSERT_EQ(no_samples.size(), 44u);
  ASSERT_EQ(OpenBytes(empty, no_samples), kWavOk);
  EXPECT_EQ(empty.header().num_channels, 2);
  EXPECT_EQ(empty.header().data_size, 0u);
  std::vector<float> none{1.0f};
  EXPECT_EQ(empty.Read(0, none), kWavOk);
  EXPECT_TRUE(none.empty());

  WavFile file;
  ASSERT_EQ(OpenBytes(file, testing_support::Wav16(2, 44100, {1, 2, 3, 4})), kWavOk);
  std::vector<float> out{7.0f};
  EXPECT_EQ(file.Read(3, out), kWavUnacceptable);
  EXPECT_EQ(out, std::vector<float>{7.0f});  // unchanged
  ASSERT_EQ(file.Read(1, out), kWavOk);
  ASSERT_EQ(file.Read(1, out), kWavOk);
  EXPECT_EQ(file.Read(1, out), kWavUnacceptable);

  // The header promises 400 bytes but the file ends after 4: nothing is invented.
  WavFile cut;
  const std::string bytes = Riff(Chunk("fmt ", FmtBody({}))) + "data" + U32(400) + U16(1) + U16(2);
  ASSERT_EQ(OpenBytes(cut, bytes), kWavOk);
  EXPECT_EQ(cut.available_data_bytes(), 4u);
  EXPECT_EQ(cut.Read(2, out), kWavUnacceptable);
  EXPECT_EQ(cut.Read(1, out), kWavOk);
}

TEST_F(WavFileTest, ReportsOpenFailuresAndMissingStreams) {
  WavFile file;
  std::vector<float> out;
  EXPECT_EQ(file.Read(1, out), kWavNotOpen);
  EXPECT_EQ(file.Write(std::vector<float>{0.0f}), kWavNotOpen);
  EXPECT_EQ(file.WriteHeader(0), kWavNotOpen);
  EXPECT_EQ(file.Tell(), 0);
  EXPECT_EQ(file.Open(dir_.File("missing.wav"), 0), kWavOpenFailed);
  WavFile writer;
  EXPECT_EQ(writer.Open(dir_.File("no/such/folder.wav"), WavFile::kWrite), kWavOpenFailed);
}

}  // namespace
}  // namespace separation
