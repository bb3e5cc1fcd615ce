// Measures whole jobs as a user runs them: the separation job on a generated 3-minute mp3 (from
// the start click to the mp3 result), and the tempo job against running its three tool
// commands by hand.
#include <glog/logging.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "jobs/child_process.h"
#include "jobs/commands.h"
#include "jobs/headless_host.h"
#include "jobs/job_controller.h"
#include "jobs/tool_locator.h"
#include "jobs/trace.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void Run(const std::vector<std::string>& argv) {
  const jobs::RunResult r = jobs::RunAndWait(argv);
  if (!r.started() || !r.status.success()) throw std::runtime_error("failed: " + jobs::JoinArgs(argv));
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Runs one item of `page` through the job code and returns its wall time.
double RunJob(jobs::PageKind page, const std::string& input, const std::string& out_dir, const std::string& temp_dir,
              const std::function<void(jobs::HeadlessHost&)>& choose) {
  jobs::HeadlessHost host;
  choose(host);
  jobs::JobEnvironment env = jobs::JobEnvironment::Default();
  env.output_dir = [out_dir] { return out_dir; };
  env.temp_dir = [temp_dir] { return temp_dir; };
  jobs::JobController controller(host, host.poster(), env);
  host.SetHandler([&](uint32_t m, std::unique_ptr<jobs::MessageRecord> r) { controller.HandleMessage(m, std::move(r)); });
  bool ok = false, done = false;
  host.on_finished = [&](const jobs::FinishedRecord& r) {
    done = true;
    ok = r.success;
    if (!ok) std::fprintf(stderr, "job failed: %s\n", r.cause.c_str());
  };
  host.AddElement(jobs::NamesOf(page).list, 0);
  const auto start = Clock::now();
  controller.StartItem(page, 0, jobs::MakeTaskItem(input, fs::file_size(input)));
  host.RunUntil([&] { return done; }, std::chrono::minutes(10));
  const double seconds = Seconds(start);
  if (!ok) throw std::runtime_error("the job failed");
  return seconds;
}

}  // namespace

int main(int /*argc*/, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_ERROR;
  jobs::SetTraceEnabled(false);
  const std::string ffmpeg = jobs::FindTool("ffmpeg"), soundstretch = jobs::FindTool("soundstretch");
  if (ffmpeg.empty() || soundstretch.empty()) {
    std::fprintf(stderr, "ffmpeg and soundstretch are needed\n");
    return 1;
  }
  const std::string dir = fs::temp_directory_path() / ("vantu-jobs-bench-" + std::to_string(getpid()));
  const std::string out = dir + "/out", temp = dir + "/temp", manual = dir + "/manual";
  for (const std::string& d : {out, temp, manual}) fs::create_directories(d);

  std::printf("Generating a 3-minute stereo mp3...\n");
  const std::string song = dir + "/song.mp3";
  Run({ffmpeg, "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=220:duration=180", "-f", "lavfi", "-i",
       "anoisesrc=d=180:a=0.05", "-filter_complex", "[0][1]amerge=inputs=2,pan=stereo|c0=c0+0.5*c1|c1=c0-0.5*c1",
       song});

  std::vector<double> separation;
  for (int i = 0; i < 3; ++i) {
    separation.push_back(RunJob(jobs::Extract, song, out, temp, [](jobs::HeadlessHost& h) {
      h.SetText("audio-extract-format", "mp3");
      h.SetSelectedIndex("audio-extract-type", 1);
    }));
  }
  const double sep = Median(separation);
  std::printf("Separation job, 180 s mp3 to the vocals as mp3: %.2f s (median of 3), %.1fx real time\n", sep,
              180.0 / sep);

  std::vector<double> job, by_hand;
  for (int i = 0; i < 5; ++i) {
    job.push_back(RunJob(jobs::Tempo, song, out, temp, [](jobs::HeadlessHost& h) {
      h.SetText("audio-tempo-format", "mp3");
      h.SetTempoValue(25);
    }));
    const auto start = Clock::now();
    Run(jobs::ToWavCommand(ffmpeg, song, manual + "/song.wav"));
    Run(jobs::TempoCommand(soundstretch, manual + "/song.wav", manual + "/stretched.wav", 25));
    Run(jobs::ConversionCommand(ffmpeg, manual + "/stretched.wav", manual + "/song.mp3"));
    by_hand.push_back(Seconds(start));
  }
  const double j = Median(job), h = Median(by_hand);
  std::printf("Tempo job +25%%, 180 s mp3 to mp3: %.2f s; its three commands by hand: %.2f s (medians of 5); "
              "the job takes %+.1f%%\n",
              j, h, 100.0 * (j - h) / h);
  fs::remove_all(dir);
  return 0;
}
