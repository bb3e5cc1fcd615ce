// The command lines of the jobs, as argument vectors (argv[0] is the tool's path), and the
// names of their files. Pure functions; nothing here touches the disk except UnusedPathFor.
#ifndef JOBS_COMMANDS_H_
#define JOBS_COMMANDS_H_

#include <string>
#include <vector>

namespace jobs {

using Argv = std::vector<std::string>;

// The name up to (not including) its last "."; the whole name when it has none.
std::string BaseName(const std::string& file_name);

// Separation, first stage: any media to a 44.1 kHz stereo WAV.
Argv ExtractToWavCommand(const std::string& ffmpeg, const std::string& input, const std::string& wav);
// Pitch and tempo, first stage: any media to a WAV of the input's rate and channels.
Argv ToWavCommand(const std::string& ffmpeg, const std::string& input, const std::string& wav);
// A WAV result converted to the chosen format.
Argv ConversionCommand(const std::string& ffmpeg, const std::string& wav, const std::string& output);

Argv PitchCommand(const std::string& soundstretch, const std::string& in_wav, const std::string& out_wav,
                  int semitones);
Argv TempoCommand(const std::string& soundstretch, const std::string& in_wav, const std::string& out_wav,
                  int tempo_percent);

Argv SilenceCommand(const std::string& ffmpeg, const std::string& input, const std::string& output);
// Level 0, 1, 2 → 1280000, 96000, 64000 bit/s; anything else 128000.
int CompressBitrate(int level);
Argv CompressCommand(const std::string& ffmpeg, const std::string& input, const std::string& output, int bitrate);
Argv ReverseCommand(const std::string& ffmpeg, const std::string& input, const std::string& output);

struct MetadataFields {
  std::string cover, album, artist, year, genre;
};
// The tag options in their order; the cover only for "mp3". Every value stays one argument.
Argv MetadataOptions(const MetadataFields& fields, const std::string& format, const std::string& title);
Argv MetadataCommand(const std::string& ffmpeg, const std::string& input, const Argv& options,
                     const std::string& output);

// Semitones from the pitch page: direction index 0 raises by high index + 1, any other lowers
// by low index + 1.
int Semitones(int direction_index, int high_index, int low_index);
// "升调%d个半音" for a raise, "降调%d个半音" for a fall (the number always positive).
std::string PitchLabel(int semitones);

// Formats that get a final conversion from the WAV result ("wav" and anything else do not).
bool NeedsConversion(const std::string& format);

// The arguments joined with blanks, for the "cmdline: " trace.
std::string JoinArgs(const Argv& argv);

// `candidate`, or when it names the same file as `input`, the first free "base (n).ext" beside
// it, so a job never writes over its own input.
std::string UnusedPathFor(const std::string& candidate, const std::string& input);

}  // namespace jobs

#endif  // JOBS_COMMANDS_H_
