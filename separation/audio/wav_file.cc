#include "separation/audio/wav_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace separation {
namespace {

constexpr size_t kIoBlockBytes = 1 << 16;
// The largest data size the 32-bit RIFF size field can still describe.
constexpr uint64_t kMaxDataBytes = std::numeric_limits<uint32_t>::max() - 36u;

uint16_t Load16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Load32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Store16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void Store32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void DecodeHeader(const unsigned char* b, WavHeader* h) {
  std::memcpy(h->riff_id.data(), b, 4);
  h->riff_size = Load32(b + 4);
  std::memcpy(h->wave_id.data(), b + 8, 4);
  std::memcpy(h->fmt_id.data(), b + 12, 4);
  h->fmt_size = Load32(b + 16);
  h->audio_format = Load16(b + 20);
  h->num_channels = Load16(b + 22);
  h->sample_rate = Load32(b + 24);
  h->byte_rate = Load32(b + 28);
  h->block_align = Load16(b + 32);
  h->bits_per_sample = Load16(b + 34);
  std::memcpy(h->data_id.data(), b + 36, 4);
  h->data_size = Load32(b + 40);
}

void EncodeHeader(const WavHeader& h, unsigned char* b) {
  std::memcpy(b, h.riff_id.data(), 4);
  Store32(b + 4, h.riff_size);
  std::memcpy(b + 8, h.wave_id.data(), 4);
  std::memcpy(b + 12, h.fmt_id.data(), 4);
  Store32(b + 16, h.fmt_size);
  Store16(b + 20, h.audio_format);
  Store16(b + 22, h.num_channels);
  Store32(b + 24, h.sample_rate);
  Store32(b + 28, h.byte_rate);
  Store16(b + 32, h.block_align);
  Store16(b + 34, h.bits_per_sample);
  std::memcpy(b + 36, h.data_id.data(), 4);
  Store32(b + 40, h.data_size);
}

bool IdIs(const std::array<char, 4>& id, const char* want) { return std::memcmp(id.data(), want, 4) == 0; }

int64_t StreamSize(std::istream& stream) {
  stream.clear();
  stream.seekg(0, std::ios::end);
  const int64_t size = static_cast<int64_t>(stream.tellg());
  stream.seekg(0, std::ios::beg);
  return size < 0 ? 0 : size;
}

// Reads exactly `n` bytes at `position`; false on a short read.
bool ReadAt(std::istream& stream, int64_t position, unsigned char* out, size_t n) {
  stream.clear();
  stream.seekg(position, std::ios::beg);
  stream.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
  return static_cast<size_t>(stream.gcount()) == n;
}

// Sample conversions. Writing clamps to -1..1 so loud samples saturate instead of wrapping.
float Clamp(float x) {
  if (std::isnan(x)) return 0.0f;
  return std::min(1.0f, std::max(-1.0f, x));
}

void EncodeSample(float x, uint32_t bytes, unsigned char* out) {
  x = Clamp(x);
  switch (bytes) {
    case 1:
      out[0] = static_cast<unsigned char>(static_cast<int>(x * 127.0f) + 128);
      break;
    case 2:
      Store16(out, static_cast<uint16_t>(static_cast<int16_t>(x * 32767.0f)));
      break;
    case 3: {
      const auto v = static_cast<uint32_t>(static_cast<int32_t>(x * 8388607.0f));
      out[0] = static_cast<unsigned char>(v);
      out[1] = static_cast<unsigned char>(v >> 8);
      out[2] = static_cast<unsigned char>(v >> 16);
      break;
    }
    default: {
      // 1.0 x 2^31 does not fit: full scale saturates at the largest value.
      const double scaled = static_cast<double>(x) * 2147483648.0;
      const int32_t v = scaled >= 2147483647.0 ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(scaled);
      Store32(out, static_cast<uint32_t>(v));
      break;
    }
  }
}

float DecodeSample(const unsigned char* in, uint32_t bytes) {
  switch (bytes) {
    case 1:
      return static_cast<float>(static_cast<int>(in[0]) - 128) / 127.0f;
    case 2:
      return static_cast<float>(static_cast<int16_t>(Load16(in))) / 32767.0f;
    case 3: {
      // Sign-extend the 24-bit value.
      const int32_t v = static_cast<int32_t>((static_cast<uint32_t>(in[0]) << 8) | (static_cast<uint32_t>(in[1]) << 16) |
                                             (static_cast<uint32_t>(in[2]) << 24)) >>
                        8;
      return static_cast<float>(v) / 8388607.0f;
    }
    default:
      return static_cast<float>(static_cast<int32_t>(Load32(in))) * std::ldexp(1.0f, -31);
  }
}

bool SupportedWidth(uint16_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

WavFile::~WavFile() {
  if (output_.is_open()) output_.flush();
}

void WavFile::NoteWriteError() {
  if (!output_.good() && error_ == 0) error_ = errno;
}

int WavFile::Close() {
  int ret = kWavOk;
  if (output_.is_open()) {
    errno = 0;
    output_.flush();
    NoteWriteError();
    if (!output_.good()) ret = kWavHeaderWriteFailed;
    output_.close();
    NoteWriteError();
    if (output_.fail()) ret = kWavHeaderWriteFailed;
  }
  if (input_.is_open()) input_.close();
  return ret;
}

int WavFile::Open(const std::string& path, int direction) {
  if (direction == kWrite) {
    errno = 0;
    output_.open(path, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!output_.is_open()) {
      error_ = errno;
      return kWavOpenFailed;
    }
    return WriteHeader(0);
  }
  input_.open(path, std::ios::binary | std::ios::in);
  if (!input_.is_open()) return kWavOpenFailed;
  std::ifstream walk(path, std::ios::binary | std::ios::in);
  if (!walk.is_open()) return kWavOpenFailed;
  return ReadHeader(walk);
}

int WavFile::ReadHeader(std::ifstream& walk) {
  if (!input_.is_open()) return kWavNotOpen;
  file_size_ = StreamSize(input_);
  if (file_size_ < static_cast<int64_t>(WavHeader::kSize)) return kWavUnacceptable;

  unsigned char raw[WavHeader::kSize] = {};
  const WavChunk riff = FindChunk(walk, "RIFF");
  if (!ReadAt(input_, riff.position, raw, 12)) return kWavUnacceptable;
  // Only the first 16 bytes of the fmt body count, whatever the chunk size says.
  const WavChunk fmt = FindChunk(walk, "fmt ");
  if (!ReadAt(input_, fmt.position, raw + 12, 24)) return kWavUnacceptable;
  const WavChunk data = FindChunk(walk, "data");
  if (!ReadAt(input_, data.position, raw + 36, 8)) return kWavUnacceptable;
  DecodeHeader(raw, &header_);
  data_start_ = data.position + 8;

  if (!IdIs(header_.riff_id, "RIFF") || !IdIs(header_.wave_id, "WAVE") || !IdIs(header_.fmt_id, "fmt ") ||
      !IdIs(header_.data_id, "data")) {
    return kWavUnacceptable;
  }
  const uint16_t bits = header_.bits_per_sample;
  if ((bits != 8 && bits != 16 && bits != 32) || header_.audio_format != 1) return kWavUnacceptable;
  // A frame of zero channels has no size; nothing sensible can be read from it.
  if (header_.num_channels == 0) return kWavUnacceptable;
  return kWavOk;
}

WavChunk WavFile::FindChunk(std::ifstream& stream, const char* id) {
  const int64_t size = StreamSize(stream);
  int64_t p = 0;
  WavChunk chunk;
  while (p < size && ReadChunkHeader(stream, p, &chunk) == kWavOk) {
    if (std::memcmp(chunk.id.data(), id, 4) == 0) return chunk;
    // Enter the RIFF body; step over other chunks exactly by their stored size + 8 (no pad byte).
    p += IdIs(chunk.id, "RIFF") ? 12 : static_cast<int64_t>(chunk.size - 8u) + 8;
  }
  // Not found: the chunk at 0, so the caller's id check fails.
  WavChunk first;
  ReadChunkHeader(stream, 0, &first);
  return first;
}

int WavFile::ReadChunkHeader(std::ifstream& stream, int64_t position, WavChunk* chunk) {
  chunk->position = position;
  if (!stream.is_open()) return kWavNotOpen;
  unsigned char head[8];
  if (!ReadAt(stream, position, head, sizeof head)) return kWavUnacceptable;
  std::memcpy(chunk->id.data(), head, 4);
  chunk->size = Load32(head + 4) + 8u;
  return kWavOk;
}

int WavFile::WriteHeader(uint32_t total_samples) {
  if (!output_.is_open()) return kWavNotOpen;
  const std::streamoff remembered = output_.tellp();
  output_.seekp(0, std::ios::beg);
  const uint32_t bytes = header_.bytes_per_sample();
  header_.data_size = bytes * total_samples;
  header_.riff_size = header_.data_size + 36u;
  header_.block_align = static_cast<uint16_t>(header_.num_channels * bytes);
  header_.byte_rate = static_cast<uint32_t>(header_.block_align) * header_.sample_rate;
  unsigned char raw[WavHeader::kSize];
  EncodeHeader(header_, raw);
  errno = 0;
  output_.write(reinterpret_cast<const char*>(raw), sizeof raw);
  NoteWriteError();
  if (!output_.good()) return kWavHeaderWriteFailed;
  if (static_cast<std::streamoff>(WavHeader::kSize) < remembered) output_.seekp(remembered, std::ios::beg);
  data_start_ = static_cast<int64_t>(WavHeader::kSize);
  return kWavOk;
}

int64_t WavFile::Tell() {
  const int64_t bytes = header_.bytes_per_sample();
  if (bytes == 0) return 0;
  if (output_.is_open()) return (static_cast<int64_t>(output_.tellp()) - data_start_) / bytes;
  if (input_.is_open()) return (static_cast<int64_t>(input_.tellg()) - data_start_) / bytes;
  return 0;
}

uint64_t WavFile::available_data_bytes() const {
  return file_size_ > data_start_ ? static_cast<uint64_t>(file_size_ - data_start_) : 0;
}

int WavFile::Read(uint64_t frames, std::vector<float>& destination) {
  if (!input_.is_open()) return kWavNotOpen;
  const uint32_t bytes = header_.bytes_per_sample();
  const uint64_t channels = header_.num_channels;
  if (bytes == 0 || !SupportedWidth(header_.bits_per_sample)) return kWavUnacceptable;
  if (channels != 0 && frames > std::numeric_limits<uint64_t>::max() / channels) return kWavUnacceptable;
  const uint64_t n = channels * frames;
  const int64_t told = Tell();
  const uint64_t position = told < 0 ? 0 : static_cast<uint64_t>(told);
  // Neither the header's data size nor the real end of the file may be read past.
  if (header_.data_size / bytes < position + n) return kWavUnacceptable;
  if (available_data_bytes() / bytes < position + n) return kWavUnacceptable;

  std::vector<float> samples(n);
  io_buffer_.resize(kIoBlockBytes - kIoBlockBytes % (bytes * 4));
  const size_t per_block = io_buffer_.size() / bytes;
  for (uint64_t done = 0; done < n;) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(per_block, n - done));
    input_.read(reinterpret_cast<char*>(io_buffer_.data()), static_cast<std::streamsize>(count * bytes));
    if (static_cast<size_t>(input_.gcount()) != count * bytes) return kWavUnacceptable;
    const unsigned char* in = io_buffer_.data();
    float* out = samples.data() + done;
    if (bytes == 2) {
      for (size_t i = 0; i < count; ++i) out[i] = static_cast<float>(static_cast<int16_t>(Load16(in + 2 * i))) / 32767.0f;
    } else {
      for (size_t i = 0; i < count; ++i) out[i] = DecodeSample(in + i * bytes, bytes);
    }
    done += count;
  }
  destination = std::move(samples);
  return kWavOk;
}

int WavFile::Write(const float* samples, size_t count) {
  if (!output_.is_open()) return kWavNotOpen;
  if (!SupportedWidth(header_.bits_per_sample)) return kWavUnacceptable;
  const uint32_t bytes = header_.bytes_per_sample();
  const int64_t told = Tell();
  const uint64_t start = told < 0 ? 0 : static_cast<uint64_t>(told);
  // The 32-bit size fields cannot describe more; refuse rather than write a wrong header.
  if ((start + count) * bytes > kMaxDataBytes) return kWavUnacceptable;

  io_buffer_.resize(kIoBlockBytes - kIoBlockBytes % (bytes * 4));
  const size_t per_block = io_buffer_.size() / bytes;
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(per_block, count - done);
    unsigned char* out = io_buffer_.data();
    const float* in = samples + done;
    if (bytes == 2) {
      for (size_t i = 0; i < n; ++i) {
        Store16(out + 2 * i, static_cast<uint16_t>(static_cast<int16_t>(Clamp(in[i]) * 32767.0f)));
      }
    } else {
      for (size_t i = 0; i < n; ++i) EncodeSample(in[i], bytes, out + i * bytes);
    }
    errno = 0;
    output_.write(reinterpret_cast<const char*>(out), static_cast<std::streamsize>(n * bytes));
    NoteWriteError();
    // A full disk fails the buffered write; stop at once rather than convert the rest.
    if (!output_.good()) return kWavHeaderWriteFailed;
    done += n;
  }
  return WriteHeader(static_cast<uint32_t>(start + count));
}

}  // namespace separation
