// vantu-jobs: runs any tool page's job on media files from the command line, through the same
// job code the window uses.
#include <glog/logging.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jobs/headless_host.h"
#include "jobs/job_controller.h"
#include "jobs/media_files.h"
#include "jobs/trace.h"
#include "shell/dirs.h"
#include "shell/unique_fd.h"

namespace {

constexpr char kUsage[] =
    "Usage: vantu-jobs PAGE [options] FILE|FOLDER...\n"
    "\n"
    "Runs one tool page's job on each FILE and writes the results into the output folder\n"
    "(the configured one, unless --output-dir is given). A FOLDER stands for the page's media\n"
    "files inside it and its subfolders, in name order; hidden files and folders are skipped.\n"
    "\n"
    "Pages:\n"
    "  extract    separate the voice from the accompaniment (one file at a time)\n"
    "  pitch      shift the pitch by whole semitones\n"
    "  tempo      change the tempo by a percentage, keeping the pitch\n"
    "  silence    remove silent stretches longer than 2 seconds\n"
    "  compress   re-encode at a lower bit rate\n"
    "  reverse    play the audio backwards\n"
    "  metadata   write tags (and, for mp3, a cover picture)\n"
    "\n"
    "Options:\n"
    "  --format EXT          output format: mp3, aac, flac, m4a, ogg, wav (default mp3)\n"
    "  --output-dir DIR      output folder for this run\n"
    "  --stem vocals|accompaniment   extract: which stem to write (default vocals)\n"
    "  --semitones N         pitch: -12..-1 or 1..12 (default 1)\n"
    "  --tempo N             tempo: change in percent, e.g. 50 or -20 (default 0)\n"
    "  --level 0|1|2         compress: 1280, 96 or 64 kb/s (default 1)\n"
    "  --cover FILE --album TEXT --artist TEXT --year TEXT --genre TEXT\n"
    "                        metadata: the fields; the title is the file's base name\n"
    "  --parallel N          items run at once on the other pages (default: the core count)\n"
    "  --verbose             print the jobs' log and console trace\n"
    "  --help                show this text\n"
    "\n"
    "Exits 0 when every item succeeded, 1 when one failed, 2 on a usage error; on SIGINT or\n"
    "SIGTERM the running items are cancelled, their partial files removed, and it exits 130 or 143.\n";

int UsageError(const std::string& message) {
  std::cerr << "vantu-jobs: " << message << "\n\n" << kUsage;
  return 2;
}

std::optional<int> ToInt(const std::string& text) {
  try {
    size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size()) return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with EFBIG, which the jobs report, instead of
  // the signal ending the whole program. Children start with the default again.
  signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no page given");
  if (std::find(args.begin(), args.end(), "--help") != args.end()) {
    std::cout << kUsage;
    return 0;
  }
  const std::optional<jobs::PageKind> page = jobs::PageFromName(args[0]);
  if (!page) return UsageError("unknown page '" + args[0] + "'");

  std::map<std::string, std::string> options{{"--format", "mp3"}, {"--stem", "vocals"}, {"--semitones", "1"},
                                             {"--tempo", "0"},     {"--level", "1"}};
  const std::vector<std::string> valued = {"--format", "--output-dir", "--stem",  "--semitones", "--tempo", "--level",
                                           "--cover",  "--album",      "--artist", "--year",     "--genre", "--parallel"};
  bool verbose = false;
  std::vector<std::string> files;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--verbose") {
      verbose = true;
    } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
      if (i + 1 >= args.size()) return UsageError(a + " needs a value");
      options[a] = args[++i];
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      return UsageError("unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) return UsageError("no files given");

  // SIGINT and SIGTERM are read from a descriptor, so the loop below can cancel the items and
  // remove their partial files. Blocked before any thread starts; children get no mask.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
  const shell::UniqueFd signal_fd(signalfd(-1, &stop_signals, SFD_NONBLOCK | SFD_CLOEXEC));

  google::InitGoogleLogging(argv[0]);
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = verbose ? google::GLOG_INFO : google::GLOG_FATAL;
  jobs::SetTraceEnabled(verbose);

  jobs::HeadlessHost host;
  const jobs::PageNames& names = jobs::NamesOf(*page);
  host.SetText(names.format, options["--format"]);
  const auto semitones = ToInt(options["--semitones"]);
  const auto tempo = ToInt(options["--tempo"]);
  const auto level = ToInt(options["--level"]);
  if (!semitones || *semitones == 0 || *semitones < -12 || *semitones > 12) {
    return UsageError("--semitones takes -12..-1 or 1..12");
  }
  if (!tempo) return UsageError("--tempo takes a whole number");
  if (!level || *level < 0 || *level > 2) return UsageError("--level takes 0, 1 or 2");
  if (options["--stem"] != "vocals" && options["--stem"] != "accompaniment") {
    return UsageError("--stem takes vocals or accompaniment");
  }
  host.SetSelectedIndex("audio-extract-type", options["--stem"] == "accompaniment" ? 0 : 1);
  host.SetSelectedIndex("audio-pitch-type", *semitones > 0 ? 0 : 1);
  host.SetSelectedIndex("audio-high-pitch", *semitones > 0 ? *semitones - 1 : 0);
  host.SetSelectedIndex("audio-low-pitch", *semitones < 0 ? -*semitones - 1 : 0);
  host.SetTempoValue(*tempo);
  host.SetCompressLevel(*level);
  for (const char* field : {"cover", "album", "artist", "year", "genre"}) {
    host.SetText(std::string(field) + "-edit", options["--" + std::string(field)]);
  }
  if (!options["--cover"].empty()) host.SetText("cover-edit", std::filesystem::absolute(options["--cover"]).string());

  jobs::JobEnvironment env = jobs::JobEnvironment::Default();
  if (options.count("--output-dir")) {
    const std::string dir = std::filesystem::absolute(options["--output-dir"]).string();
    env.output_dir = [dir] { return shell::CreateDirs(dir); };
  }
  jobs::JobController controller(host, host.poster(), env);
  host.SetHandler([&](uint32_t message, std::unique_ptr<jobs::MessageRecord> record) {
    controller.HandleMessage(message, std::move(record));
  });

  // One separation at a time; the other pages as many as the machine has cores.
  const auto parallel_option = ToInt(options.count("--parallel") ? options["--parallel"] : "0");
  if (!parallel_option || *parallel_option < 0) return UsageError("--parallel takes a positive number");
  const int cores = static_cast<int>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
  const size_t parallel = *page == jobs::Extract ? 1 : static_cast<size_t>(*parallel_option ? *parallel_option : cores);

  // Files named here are taken as they are; folders give the page's media files.
  const jobs::MediaFiles media = jobs::ExpandMediaPaths(*page, files, jobs::NamedFiles::kKeep);
  std::vector<jobs::TaskItem> items;
  for (const std::string& path : media.files) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    items.push_back(jobs::MakeTaskItem(path, ec ? 0 : size));
  }
  if (media.skipped) std::cout << media.skipped << " files skipped: not of this page's types\n";
  if (items.empty()) {
    std::cout << "0 succeeded, 0 failed: no media files\n";
    return 1;
  }
  size_t next = 0, done = 0, failed = 0;
  std::map<int32_t, int> shown;
  host.on_progress = [&](int32_t item, int percent) {
    if (percent <= 0 || percent >= 100 || shown[item] / 10 == percent / 10) return;
    shown[item] = percent;
    std::cout << items[static_cast<size_t>(item)].fileName << ": " << percent << "%\n" << std::flush;
  };
  host.on_finished = [&](const jobs::FinishedRecord& r) {
    ++done;
    const jobs::TaskItem& item = items[static_cast<size_t>(r.item)];
    if (r.success) {
      std::cout << item.fileName << ": done: " << r.output << "\n";
    } else {
      ++failed;
      std::cout << item.fileName << ": failed: " << r.cause << "\n";
    }
    std::cout << std::flush;
  };
  auto start_more = [&] {
    while (next < items.size() && controller.RunningCount() < parallel) {
      const auto item = static_cast<int32_t>(next++);
      host.AddElement(names.list, item);
      std::cout << items[static_cast<size_t>(item)].fileName << ": started\n" << std::flush;
      controller.StartItem(*page, item, items[static_cast<size_t>(item)]);
    }
  };
  start_more();
  int stop_signal = 0;
  while (done < next) {
    host.RunUntil([&] { return done == next || (!stop_signal && next < items.size() && controller.RunningCount() < parallel); },
                  std::chrono::milliseconds(200));
    signalfd_siginfo info{};
    if (!stop_signal && signal_fd.get() >= 0 && read(signal_fd.get(), &info, sizeof info) == sizeof info) {
      stop_signal = static_cast<int>(info.ssi_signo);
      std::cout << "stopping: cancelling the running items\n" << std::flush;
      controller.CancelAll();
    }
    if (!stop_signal) start_more();
  }
  std::cout << done - failed << " succeeded, " << failed << " failed";
  if (items.size() > next) std::cout << ", " << items.size() - next << " not started";
  std::cout << "\n";
  if (stop_signal) return 128 + stop_signal;
  return failed ? 1 : 0;
}
