// Measures the separation engine on generated songs: WAV read and write throughput, the
// whole separation through SeparatorApp (model load, WAV load, model run, WAV write) as seconds
// and as a multiple of real time, and the peak resident memory of that run. The reference model
// (the earlier, smaller network) runs on the same song in the same run, so the cost of the
// shipped model is printed as a ratio that does not depend on the machine's load.
#include <glog/logging.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "separation/audio/wav_file.h"
#include "separation/separator.h"
#include "shell/program_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A song-like stereo signal: a centred vibrato voice in phrases, bass and chords panned apart,
// a hi-hat pattern.
std::vector<float> MakeSong(int64_t frames) {
  std::vector<float> s(static_cast<size_t>(2 * frames));
  double phase = 0.0;
  uint32_t noise = 12345;
  for (int64_t f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / kRate;
    const double f0 = 220.0 * std::pow(2.0, std::floor(std::fmod(t * 2, 7)) / 12.0) *
                      (1.0 + 0.01 * std::sin(2 * kPi * 5.5 * t));
    phase += 2 * kPi * f0 / kRate;
    const double voice = std::fmod(t, 4.0) < 3.2 ? 0.2 * (std::sin(phase) + 0.4 * std::sin(2 * phase)) : 0.0;
    const double bass = 0.15 * std::sin(2 * kPi * 55.0 * t);
    const double chord = 0.06 * (std::sin(2 * kPi * 261.6 * t) + std::sin(2 * kPi * 329.6 * t));
    noise = noise * 1664525u + 1013904223u;
    const double hat = std::fmod(t, 0.25) < 0.02 ? 0.05 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) : 0.0;
    s[static_cast<size_t>(2 * f)] = static_cast<float>(voice + 0.8 * bass + 0.3 * chord + hat);
    s[static_cast<size_t>(2 * f + 1)] = static_cast<float>(voice + 0.6 * bass + 0.9 * chord - hat);
  }
  return s;
}

double WriteWav(const std::string& path, const std::vector<float>& samples) {
  const auto start = Clock::now();
  separation::WavFile file;
  if (file.Open(path, separation::WavFile::kWrite) != 0) throw std::runtime_error("cannot write " + path);
  file.header().num_channels = 2;
  if (file.Write(samples) != 0 || file.Close() != 0) throw std::runtime_error("write failed: " + path);
  return Seconds(start);
}

double ReadWav(const std::string& path) {
  const auto start = Clock::now();
  separation::WavFile file;
  std::vector<float> samples;
  if (file.Open(path, 0) != 0) throw std::runtime_error("cannot read " + path);
  const uint64_t frames = file.header().data_size / 4;
  if (file.Read(frames, samples) != 0) throw std::runtime_error("read failed: " + path);
  return Seconds(start);
}

// The separation as the job runs it, in this process.
int SeparateInProcess(const std::string& input, const std::string& output_dir, const std::string& model_dir) {
  const separation::SeparatorOptions o = separation::StemOptions(input, output_dir, model_dir, true, "bench-人声");
  try {
    separation::SeparatorApp app(o);
    app.Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "separation failed: %s\n", e.what());
    return 1;
  }
  return 0;
}

struct ChildRun {
  double seconds = 0;
  double peak_mb = 0;
};

// Runs the separation in a child process of this program, so its peak memory is its own.
ChildRun SeparateInChild(const std::string& self, const std::string& input, const std::string& output_dir,
                         const std::string& model_dir) {
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execl(self.c_str(), self.c_str(), "--separate", input.c_str(), output_dir.c_str(), model_dir.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the separation child failed");
  }
  return ChildRun{Seconds(start), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_WARNING;
  if (argc == 5 && std::strcmp(argv[1], "--separate") == 0) return SeparateInProcess(argv[2], argv[3], argv[4]);
  bool long_song = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-20min") == 0) long_song = false;
  }

  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string dir = std::filesystem::temp_directory_path() / ("vantu-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);

  std::printf("Generating a 3-minute 44.1 kHz stereo song...\n");
  const int64_t frames = int64_t{180} * kRate;
  const std::vector<float> song = MakeSong(frames);
  const double pcm_mb = static_cast<double>(frames) * 4 / 1e6;  // 16-bit stereo PCM

  double best_write = 1e9, best_read = 1e9;
  for (int i = 0; i < 5; ++i) {
    best_write = std::min(best_write, WriteWav(dir + "/song3.wav", song));
    best_read = std::min(best_read, ReadWav(dir + "/song3.wav"));
  }
  std::printf("WAV write: %.0f MB/s of PCM data (%.1f MB in %.3f s, best of 5)\n", pcm_mb / best_write, pcm_mb,
              best_write);
  std::printf("WAV read:  %.0f MB/s of PCM data (%.1f MB in %.3f s, best of 5)\n", pcm_mb / best_read, pcm_mb,
              best_read);

  const std::string model_dir = shell::ProgramDir() + "models/2stems/saved_model";
  const std::string reference_dir = shell::ProgramDir() + "bench-models/reference";
  const bool have_reference = std::filesystem::exists(reference_dir + "/saved_model.torchscript");
  // Alternating runs, best of each: a load that comes and goes shifts both alike.
  ChildRun three{1e30, 0}, ref{1e30, 0};
  for (int round = 0; round < (have_reference ? 2 : 1); ++round) {
    const ChildRun a = SeparateInChild(self, dir + "/song3.wav", dir + "/out", model_dir);
    if (a.seconds < three.seconds) three = a;
    if (!have_reference) break;
    const ChildRun b = SeparateInChild(self, dir + "/song3.wav", dir + "/out", reference_dir);
    if (b.seconds < ref.seconds) ref = b;
  }
  std::printf("Separation of 180 s: %.2f s, %.1fx real time, peak memory %.0f MB\n", three.seconds,
              180.0 / three.seconds, three.peak_mb);
  if (have_reference) {
    std::printf("Reference model on 180 s: %.2f s, %.1fx real time, peak memory %.0f MB\n", ref.seconds,
                180.0 / ref.seconds, ref.peak_mb);
    std::printf("Cost of the shipped model: %.2fx the reference\n", three.seconds / ref.seconds);
  } else {
    std::printf("No reference model in %s: ratio not measured\n", reference_dir.c_str());
  }

  if (long_song) {
    std::printf("Generating a 20-minute song...\n");
    const int64_t long_frames = int64_t{1200} * kRate;
    WriteWav(dir + "/song20.wav", MakeSong(long_frames));
    const ChildRun twenty = SeparateInChild(self, dir + "/song20.wav", dir + "/out", model_dir);
    std::printf("Separation of 1200 s: %.2f s, %.1fx real time, peak memory %.0f MB\n", twenty.seconds,
                1200.0 / twenty.seconds, twenty.peak_mb);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
