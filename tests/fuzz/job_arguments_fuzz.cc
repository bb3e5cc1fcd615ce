// libFuzzer target: file names and metadata values of any kind (quotes, newlines, a leading
// dash, invalid UTF-8) stay single arguments in every page's argument vector, each in its own
// place, and never take the place of an option.
#include <cstdlib>
#include <string>
#include <vector>

#include "jobs/commands.h"
#include "jobs/results.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using jobs::Argv;

// `real` must be `shape` with each placeholder "\x01N" replaced by values[N], element for element.
void ExpectShape(const Argv& real, const Argv& shape, const std::vector<std::string>& values) {
  if (real.size() != shape.size()) abort();
  for (size_t i = 0; i < real.size(); ++i) {
    if (!shape[i].empty() && shape[i][0] == '\x01') {
      if (real[i] != values.at(static_cast<size_t>(shape[i][1] - '0'))) abort();
    } else if (real[i] != shape[i]) {
      abort();
    }
  }
}

std::string CleanName(std::string name) {
  // A file name holds neither a slash nor a zero byte; anything else goes.
  for (char& c : name) {
    if (c == '/' || c == '\0') c = '_';
  }
  return name.empty() ? "x" : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Fields f(data, size);
  const std::string name = CleanName(f.Next());
  jobs::MetadataFields meta;
  meta.cover = f.Next();
  meta.album = f.Next();
  meta.artist = f.Next();
  meta.year = f.Next();
  meta.genre = f.Next();
  const std::string format = f.Byte() % 2 ? "mp3" : "m4a";

  // The paths as the controller builds them: absolute, the input's base name in each.
  const std::string base = jobs::BaseName(name);
  if (name.compare(0, base.size(), base) != 0) abort();
  const std::string input = "/music/" + name;
  const std::string wav = "/tmp/" + base + ".3.wav";
  const std::string result = "/out/" + base + "." + format;
  const std::string partial = jobs::PartialResultPath(result, 3);
  // The partial file lies beside the result, hidden, and keeps its extension.
  if (partial.compare(0, 6, "/out/.") != 0 || partial.find('/', 5) != std::string::npos) abort();
  if (partial.size() < result.size() || partial.compare(partial.size() - (result.size() - 5), std::string::npos,
                                                        result, 5, std::string::npos) != 0) {
    abort();
  }
  const std::string ff = "/usr/bin/ffmpeg", ss = "/usr/bin/soundstretch";
  const std::vector<std::string> v = {ff, input, wav, partial, ss};
  const std::string P0 = "\x01" "0", P1 = "\x01" "1", P2 = "\x01" "2", P3 = "\x01" "3", P4 = "\x01" "4";

  ExpectShape(jobs::ExtractToWavCommand(ff, input, wav), {P0, "-y", "-i", P1, "-y", "-vn", "-ar", "44100", "-ac", "2", P2}, v);
  ExpectShape(jobs::ToWavCommand(ff, input, wav), {P0, "-i", P1, "-y", "-vn", P2}, v);
  ExpectShape(jobs::ConversionCommand(ff, wav, partial), {P0, "-y", "-i", P2, P3}, v);
  ExpectShape(jobs::PitchCommand(ss, wav, partial, -3), {P4, P2, P3, "-pitch=-3"}, v);
  ExpectShape(jobs::TempoCommand(ss, wav, partial, 20), {P4, P2, P3, "-tempo=20"}, v);
  ExpectShape(jobs::SilenceCommand(ff, input, partial),
              {P0, "-i", P1, "-y", "-af", "silenceremove=stop_periods=-1:stop_duration=2:stop_threshold=-30dB", P3}, v);
  ExpectShape(jobs::CompressCommand(ff, input, partial, 96000),
              {P0, "-i", P1, "-y", "-ac", "2", "-ab", "96000", "-ar", "44100", "-vsync", "2", "-vn", P3}, v);
  ExpectShape(jobs::ReverseCommand(ff, input, partial), {P0, "-i", P1, "-y", "-af", "areverse", P3}, v);

  // Metadata: each tag one "key=value" argument after "-metadata", the cover one argument
  // after "-i" that cannot be read as an option.
  const Argv options = jobs::MetadataOptions(meta, format, base);
  Argv shape = {P0, "-i", P1};
  std::vector<std::string> values = v;
  if (!meta.cover.empty() && format == "mp3") {
    const std::string& cover = options.at(1);
    if (cover.empty() || cover[0] == '-') abort();
    if (cover != meta.cover && cover != "file:" + meta.cover) abort();
    values.push_back(cover);
    shape.insert(shape.end(), {"-i", "\x01" "5", "-map", "0:0", "-map", "1:0", "-c", "copy", "-id3v2_version", "3"});
  }
  const std::pair<const char*, const std::string*> tags[] = {
      {"album", &meta.album}, {"artist", &meta.artist}, {"date", &meta.year}, {"genre", &meta.genre}};
  for (const auto& [key, value] : tags) {
    if (value->empty()) continue;
    shape.insert(shape.end(), {"-metadata", std::string(key) + "=" + *value});
  }
  shape.insert(shape.end(), {"-metadata", "title=" + base, "-y", P3});
  ExpectShape(jobs::MetadataCommand(ff, input, options, partial), shape, values);
  return 0;
}
