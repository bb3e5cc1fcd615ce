// Reader and writer of uncompressed PCM WAV files (RIFF/WAVE), with the conversion between
// their integer samples and 32-bit floats.
//
// Every operation returns a small code instead of raising. A WavFile is used in one direction:
// opened for reading, header read, samples read from the first sample on; or opened for
// writing, header written, samples appended, the header rewritten after every Write so the file
// is a valid WAV after each call. Not thread-safe; not shared between threads.
#ifndef SEPARATION_AUDIO_WAV_FILE_H_
#define SEPARATION_AUDIO_WAV_FILE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace separation {

// Codes returned by WavFile operations.
enum WavCode : int {
  kWavOk = 0,
  kWavOpenFailed = 1,       // the file did not open
  kWavNotOpen = 2,          // no open file of the needed direction
  kWavUnacceptable = 3,     // not an acceptable WAV, not enough data, or unsupported width
  kWavHeaderWriteFailed = 4,  // writing failed: the header, the samples or their flush
};

// The 44-byte canonical header, fields in file order (little-endian in the file).
struct WavHeader {
  std::array<char, 4> riff_id{{'R', 'I', 'F', 'F'}};
  uint32_t riff_size = 0;
  std::array<char, 4> wave_id{{'W', 'A', 'V', 'E'}};
  std::array<char, 4> fmt_id{{'f', 'm', 't', ' '}};
  uint32_t fmt_size = 16;
  uint16_t audio_format = 1;
  uint16_t num_channels = 1;
  uint32_t sample_rate = 44100;
  uint32_t byte_rate = 88200;
  uint16_t block_align = 2;
  uint16_t bits_per_sample = 16;
  std::array<char, 4> data_id{{'d', 'a', 't', 'a'}};
  uint32_t data_size = 0;

  static constexpr size_t kSize = 44;
  uint32_t bytes_per_sample() const { return bits_per_sample / 8u; }
};

// A chunk found by the chunk walk. `size` is the whole chunk with its 8-byte head.
struct WavChunk {
  std::array<char, 4> id{{0, 0, 0, 0}};
  uint32_t size = 0;
  int64_t position = 0;
};

class WavFile {
 public:
  static constexpr int kWrite = 1;  // any other direction reads

  WavFile() = default;
  ~WavFile();
  WavFile(const WavFile&) = delete;
  WavFile& operator=(const WavFile&) = delete;

  // Opens `path` for writing (created or truncated, header for 0 samples written) when
  // `direction` is kWrite, else for reading (header read and checked). Returns a WavCode.
  int Open(const std::string& path, int direction);

  // Reads `frames` frames (frames x channel count samples) from the current position into
  // `destination`. Returns kWavUnacceptable, leaving `destination` unchanged, when the header's
  // data size or the file's real length does not hold that many samples.
  int Read(uint64_t frames, std::vector<float>& destination);

  // Appends `count` samples at the header's width, clamped to -1..1, then rewrites the header
  // with the running total.
  int Write(const float* samples, size_t count);
  int Write(const std::vector<float>& samples) { return Write(samples.data(), samples.size()); }

  // Flushes and closes both streams. Returns kWavHeaderWriteFailed when buffered output could
  // not be written.
  int Close();
  // The errno value of the first failed open or write of the output, 0 when none failed (or
  // the system gave no reason).
  int error() const { return error_; }

  // Current position in samples from the first sample byte; 0 when nothing is open.
  int64_t Tell();

  // Walks the chunks with `walk` (a second stream on the same file) and reads the header
  // fields through the input stream, which then stands at the first sample byte.
  int ReadHeader(std::ifstream& walk);
  int WriteHeader(uint32_t total_samples);
  WavChunk FindChunk(std::ifstream& stream, const char* id);
  int ReadChunkHeader(std::ifstream& stream, int64_t position, WavChunk* chunk);

  WavHeader& header() { return header_; }
  const WavHeader& header() const { return header_; }
  int64_t data_start() const { return data_start_; }
  // Bytes of sample data really present after data_start (may be less than the header says).
  uint64_t available_data_bytes() const;

 private:
  std::ifstream input_;
  std::ofstream output_;
  WavHeader header_;
  int64_t data_start_ = 0;
  int64_t file_size_ = 0;
  int error_ = 0;
  std::vector<unsigned char> io_buffer_;

  void NoteWriteError();
};

}  // namespace separation

#endif  // SEPARATION_AUDIO_WAV_FILE_H_
