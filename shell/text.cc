#include "shell/text.h"

#include <cstddef>
#include <cstdint>

namespace shell {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the white-space character at `pos`, or 0 when the character there is not one.
size_t SpaceAt(const std::string& text, size_t pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte == ' ' || (byte >= '\t' && byte <= '\r')) return 1;
  static const char* const kUnicodeSpaces[] = {
      "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\xA8", "\xE2\x80\xA9",
      "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
  for (const char* space : kUnicodeSpaces) {
    const std::string s(space);
    if (text.compare(pos, s.size(), s) == 0) return s.size();
  }
  // U+2000 .. U+200A
  if (text.size() - pos >= 3 && byte == 0xE2 && static_cast<unsigned char>(text[pos + 1]) == 0x80 &&
      static_cast<unsigned char>(text[pos + 2]) <= 0x8A) {
    return 3;
  }
  return 0;
}

// Length of the white-space character that ends just before `end`, or 0.
size_t SpaceBefore(const std::string& text, size_t end) {
  size_t start = end - 1;
  // Step back over at most three continuation bytes to the start of the last character.
  while (start > 0 && end - start < 4 && IsContinuation(static_cast<unsigned char>(text[start]))) {
    --start;
  }
  const size_t length = SpaceAt(text, start);
  return start + length == end ? length : 0;
}

}  // namespace

std::vector<std::string> SplitString(const std::string& text, const std::string& delimiters) {
  std::vector<std::string> pieces;
  size_t start = text.find_first_not_of(delimiters);
  while (start != std::string::npos) {
    const size_t end = text.find_first_of(delimiters, start);
    if (end == std::string::npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, end - start));
    start = text.find_first_not_of(delimiters, end);
  }
  return pieces;
}

std::string Utf8ToWide(std::string text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    unsigned char low = 0x80;  // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    }
    if (length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t good = 1;
    while (good < length && i + good < text.size()) {
      const auto byte = static_cast<unsigned char>(text[i + good]);
      const bool ok = good == 1 ? (byte >= low && byte <= high) : IsContinuation(byte);
      if (!ok) break;
      ++good;
    }
    if (good == length) {
      out.append(text, i, length);
    } else {
      out += kReplacement;  // the bytes that started a sequence count as one bad character
    }
    i += good;
  }
  return out;
}

std::string WideToUtf8(const std::string& text) { return Utf8ToWide(text); }

std::string AnsiToWide(const std::string& text) { return Utf8ToWide(text); }

std::string TrimWhiteSpace(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end) {
    const size_t length = SpaceAt(text, begin);
    if (length == 0) break;
    begin += length;
  }
  while (end > begin) {
    const size_t length = SpaceBefore(text, end);
    if (length == 0 || end - length < begin) break;
    end -= length;
  }
  return text.substr(begin, end - begin);
}

}  // namespace shell
