#include "tests/support/wav_bytes.h"

namespace testing_support {

std::string U16(uint32_t v) { return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)}; }
std::string U32(uint32_t v) { return U16(v & 0xffff) + U16(v >> 16); }
std::string Chunk(const std::string& id, const std::string& body) { return id + U32(static_cast<uint32_t>(body.size())) + body; }

std::string FmtBody(const FmtFields& f) {
  const uint32_t align = f.channels * (f.bits / 8u);
  return U16(f.format) + U16(f.channels) + U32(f.rate) + U32(align * f.rate) + U16(align) + U16(f.bits);
}

std::string Riff(const std::string& chunks) { return "RIFF" + U32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks; }

std::string Wav16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples) {
  std::string data;
  for (int16_t s : samples) data += U16(static_cast<uint16_t>(s));
  FmtFields f;
  f.channels = channels;
  f.rate = rate;
  return Riff(Chunk("fmt ", FmtBody(f)) + Chunk("data", data));
}

uint32_t ReadU32(const std::string& b, size_t o) {
  return static_cast<uint32_t>(static_cast<unsigned char>(b.at(o))) |
         static_cast<uint32_t>(static_cast<unsigned char>(b.at(o + 1))) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(b.at(o + 2))) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(b.at(o + 3))) << 24;
}
uint16_t ReadU16(const std::string& b, size_t o) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b.at(o)) | static_cast<unsigned char>(b.at(o + 1)) << 8);
}

}  // namespace testing_support
