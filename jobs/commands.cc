#include "jobs/commands.h"

#include <filesystem>
#include <system_error>

#include "jobs/task_item.h"

namespace jobs {

TaskItem MakeTaskItem(const std::string& full_path, uint64_t size) {
  TaskItem item;
  const size_t slash = full_path.find_last_of('/');
  item.fileName = slash == std::string::npos ? full_path : full_path.substr(slash + 1);
  item.filePath = slash == std::string::npos ? std::string() : full_path.substr(0, slash + 1);
  item.fullPath = full_path;
  item.fileSize = size;
  return item;
}

std::string BaseName(const std::string& file_name) {
  const size_t dot = file_name.find_last_of('.');
  return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

Argv ExtractToWavCommand(const std::string& ffmpeg, const std::string& input, const std::string& wav) {
  return {ffmpeg, "-y", "-i", input, "-y", "-vn", "-ar", "44100", "-ac", "2", wav};
}

Argv ToWavCommand(const std::string& ffmpeg, const std::string& input, const std::string& wav) {
  return {ffmpeg, "-i", input, "-y", "-vn", wav};
}

Argv ConversionCommand(const std::string& ffmpeg, const std::string& wav, const std::string& output) {
  return {ffmpeg, "-y", "-i", wav, output};
}

Argv PitchCommand(const std::string& soundstretch, const std::string& in_wav, const std::string& out_wav,
                  int semitones) {
  return {soundstretch, in_wav, out_wav, "-pitch=" + std::to_string(semitones)};
}

Argv TempoCommand(const std::string& soundstretch, const std::string& in_wav, const std::string& out_wav,
                  int tempo_percent) {
  return {soundstretch, in_wav, out_wav, "-tempo=" + std::to_string(tempo_percent)};
}

Argv SilenceCommand(const std::string& ffmpeg, const std::string& input, const std::string& output) {
  return {ffmpeg, "-i", input, "-y", "-af", "silenceremove=stop_periods=-1:stop_duration=2:stop_threshold=-30dB",
          output};
}

int CompressBitrate(int level) {
  switch (level) {
    case 0: return 1280000;
    case 1: return 96000;
    case 2: return 64000;
    default: return 128000;
  }
}

Argv CompressCommand(const std::string& ffmpeg, const std::string& input, const std::string& output, int bitrate) {
  return {ffmpeg, "-i",    input, "-y", "-ac", "2", "-ab", std::to_string(bitrate), "-ar", "44100",
          "-vsync", "2", "-vn", output};
}

Argv ReverseCommand(const std::string& ffmpeg, const std::string& input, const std::string& output) {
  return {ffmpeg, "-i", input, "-y", "-af", "areverse", output};
}

Argv MetadataOptions(const MetadataFields& fields, const std::string& format, const std::string& title) {
  Argv options;
  if (!fields.cover.empty() && format == "mp3") {
    // A relative name could read as a protocol ("pipe:", "-" for standard input); "file:"
    // makes ffmpeg take it as a file name.
    const std::string cover = fields.cover[0] == '/' ? fields.cover : "file:" + fields.cover;
    options.insert(options.end(), {"-i", cover, "-map", "0:0", "-map", "1:0", "-c", "copy",
                                   "-id3v2_version", "3"});
  }
  const std::pair<const char*, const std::string*> tags[] = {
      {"album", &fields.album}, {"artist", &fields.artist}, {"date", &fields.year}, {"genre", &fields.genre}};
  for (const auto& [key, value] : tags) {
    if (!value->empty()) options.insert(options.end(), {"-metadata", std::string(key) + "=" + *value});
  }
  options.insert(options.end(), {"-metadata", "title=" + title});
  return options;
}

Argv MetadataCommand(const std::string& ffmpeg, const std::string& input, const Argv& options,
                     const std::string& output) {
  Argv argv{ffmpeg, "-i", input};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {"-y", output});
  return argv;
}

int Semitones(int direction_index, int high_index, int low_index) {
  return direction_index == 0 ? high_index + 1 : -(low_index + 1);
}

std::string PitchLabel(int semitones) {
  return semitones > 0 ? "升调" + std::to_string(semitones) + "个半音" : "降调" + std::to_string(-semitones) + "个半音";
}

bool NeedsConversion(const std::string& format) {
  return format == "mp3" || format == "aac" || format == "flac" || format == "m4a" || format == "ogg";
}

std::string JoinArgs(const Argv& argv) {
  std::string line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += ' ';
    line += arg;
  }
  return line;
}

std::string UnusedPathFor(const std::string& candidate, const std::string& input) {
  namespace fs = std::filesystem;
  std::error_code ec, ec_input;
  bool same = fs::equivalent(candidate, input, ec);
  if (!same) {
    // The output may not exist yet; compare the paths themselves then.
    const fs::path a = fs::weakly_canonical(candidate, ec);
    const fs::path b = fs::weakly_canonical(input, ec_input);
    same = !ec && !ec_input && a == b;
  }
  if (!same) return candidate;
  const fs::path path(candidate);
  const std::string stem = path.stem().string();
  const std::string ext = path.extension().string();
  for (int n = 2;; ++n) {
    const fs::path next = path.parent_path() / (stem + " (" + std::to_string(n) + ")" + ext);
    if (!fs::exists(next, ec)) return next.string();
  }
}

}  // namespace jobs
