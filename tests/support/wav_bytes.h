#ifndef TESTS_SUPPORT_WAV_BYTES_H_
#define TESTS_SUPPORT_WAV_BYTES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Little-endian byte helpers for building WAV files by hand.
std::string U16(uint32_t v);
std::string U32(uint32_t v);
std::string Chunk(const std::string& id, const std::string& body);

// {format, channels, rate, bits}: {1, 1, 44100, 8} is 8-bit mono PCM.
struct FmtFields {
  uint16_t format = 1;
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
};
// A 16-byte fmt body (block align and byte rate derived).
std::string FmtBody(const FmtFields& f);
// RIFF/WAVE around the given chunks; the RIFF size counts them.
std::string Riff(const std::string& chunks);
// A canonical 44-byte-header file with 16-bit samples.
std::string Wav16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples);

// Reads the little-endian unsigned value at `offset` of `bytes`.
uint32_t ReadU32(const std::string& bytes, size_t offset);
uint16_t ReadU16(const std::string& bytes, size_t offset);

}  // namespace testing_support

#endif  // TESTS_SUPPORT_WAV_BYTES_H_
