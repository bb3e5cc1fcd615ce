// Measures the desktop program: the time from process start to the main window shown (the
// real program, offscreen, with a scratch home), the time to add 200 files to a list one by
// one (each with its size and probed duration), a folder of 2,000 files added in the
// background (how long the event loop stalls at most meanwhile, and how long until every
// duration is in), and the longest stall while 10 items run at once across five pages.
#include <glog/logging.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jobs/child_process.h"
#include "jobs/tool_locator.h"
#include "jobs/trace.h"
#include "shell/program_dir.h"
#include "tests/support/temp_dir.h"
#include "ui/main_wnd.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool LogSays(const std::string& folder, const std::string& text) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (testing_support::ReadFile(entry.path()).find(text) != std::string::npos) return true;
  }
  return false;
}

// Starts the program and returns the seconds until its log says the window is shown.
double StartUpSeconds(const std::string& home) {
  fs::remove_all(home + "/data");
  // The program's upgrade check must stay on this machine.
  fs::create_directories(home + "/data/VantuVoiceSeparate/Config");
  testing_support::WriteFile(home + "/data/VantuVoiceSeparate/Config/configure.ini",
                             "[global]\nservice-url=http://127.0.0.1:9\n");
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string program = shell::ProgramDir() + "VantuVoiceSeparate";
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string log_dir = home + "/data/VantuVoiceSeparate/Log";
  double seconds = -1;
  while (std::chrono::duration<double>(Clock::now() - start).count() < 30) {
    if (LogSays(log_dir, "main window shown")) {
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
      break;
    }
    usleep(2000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return seconds;
}

// The longest gap between ticks of a 1 ms timer: how long the event loop was kept from
// running while the probe was on.
class StallProbe {
 public:
  StallProbe() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, clock_.restart());
    });
    clock_.start();
    timer_.start();
  }
  qint64 longest_ms() const { return std::max(longest_, clock_.elapsed()); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

// Runs the event loop until `done` holds or `seconds` pass.
bool Spin(const std::function<bool()>& done, int seconds) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < seconds * 1000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  return done();
}

}  // namespace

int main(int argc, char** argv) {
  testing_support::TempDir home;
  std::vector<double> starts;
  for (int i = 0; i < 5; ++i) starts.push_back(StartUpSeconds(home.path()));
  std::sort(starts.begin(), starts.end());
  std::printf("Start-up to the main window shown: %.3f s (median of 5; best %.3f s)\n", starts[2], starts[0]);

  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_DATA_HOME", home.File("data2").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_ERROR;
  google::InitGoogleLogging(argv[0]);
  jobs::SetTraceEnabled(false);
  QApplication app(argc, argv);
  const std::string song = home.File("song.mp3");
  jobs::RunAndWait({jobs::FindTool("ffmpeg"), "-y", "-v", "error", "-f", "lavfi", "-i", "sine=d=180", "-ac", "2", song});
  QStringList files;
  for (int i = 0; i < 200; ++i) {
    const std::string copy = home.File("song " + std::to_string(i) + ".mp3");
    fs::copy_file(song, copy);
    files << QString::fromStdString(copy);
  }
  ui::CMainWnd window(jobs::JobEnvironment::Default(), false);
  window.Create();
  window.show();
  QApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  for (const QString& f : files) window.AddListItem(jobs::Pitch, f);
  QApplication::processEvents();
  std::printf("Adding 200 files to a list (size, probed duration, element): %.3f s; the list holds %d\n",
              timer.elapsed() / 1000.0, window.ListOf(jobs::Pitch)->count());

  // A folder of 2,000 files (hard links of one short song, in subfolders of 100).
  const std::string short_song = home.File("short.mp3");
  jobs::RunAndWait({jobs::FindTool("ffmpeg"), "-y", "-v", "error", "-f", "lavfi", "-i", "sine=d=5", short_song});
  const std::string folder = home.File("library");
  for (int i = 0; i < 2000; ++i) {
    const std::string sub = folder + "/cd " + std::to_string(i / 100);
    fs::create_directories(sub);
    fs::create_hard_link(short_song, sub + "/track " + std::to_string(i % 100) + ".mp3");
  }
  bool listed = false;
  double listed_at = 0;
  QObject::connect(&window, &ui::CMainWnd::filesAdded, [&](int, int, int) {
    listed = true;
    listed_at = timer.elapsed() / 1000.0;
  });
  qint64 longest = 0;
  {
    StallProbe probe;
    timer.restart();
    window.AddPaths(jobs::Tempo, {QString::fromStdString(folder)});
    while (!listed || window.AddingFiles()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    longest = probe.longest_ms();
  }
  std::printf(
      "Adding a folder of 2000 files in the background: longest event-loop stall %lld ms (target < 100); "
      "all listed after %.3f s, all durations in after %.3f s; the list holds %d\n",
      static_cast<long long>(longest), listed_at, timer.elapsed() / 1000.0, window.ListOf(jobs::Tempo)->count());

  // 10 items at once on five pages, 30-second songs, results into a scratch folder.
  const std::string thirty_s_song = home.File("short.wav");
  jobs::RunAndWait({jobs::FindTool("ffmpeg"), "-y", "-v", "error", "-f", "lavfi", "-i", "sine=d=30", "-ac", "2", thirty_s_song});
  jobs::JobEnvironment env = jobs::JobEnvironment::Default();
  const std::string out = home.File("out"), temp = home.File("temp");
  fs::create_directories(out);
  fs::create_directories(temp);
  env.output_dir = [out] { return out; };
  env.temp_dir = [temp] { return temp; };
  ui::CMainWnd busy(env, false);
  busy.Create();
  busy.show();
  int finished = 0, succeeded = 0;
  QObject::connect(&busy, &ui::CMainWnd::itemFinished, [&](int, bool success) {
    ++finished;
    succeeded += success ? 1 : 0;
  });
  const jobs::PageKind pages[] = {jobs::Pitch, jobs::Tempo, jobs::Silence, jobs::Compress, jobs::Reverse};
  std::vector<std::pair<jobs::PageKind, int32_t>> started;
  for (int i = 0; i < 10; ++i) {
    const jobs::PageKind page = pages[i % 5];
    const std::string copy = home.File("short " + std::to_string(i) + ".wav");
    fs::copy_file(thirty_s_song, copy, fs::copy_options::overwrite_existing);
    started.emplace_back(page, busy.AddListItem(page, QString::fromStdString(copy)));
  }
  {
    StallProbe probe;
    timer.restart();
    // One start per event, as ten clicks would come.
    for (size_t i = 0; i < started.size(); ++i) {
      QTimer::singleShot(static_cast<int>(i) * 20, [&, i] { busy.StartItem(started[i].first, started[i].second); });
    }
    Spin([&] { return finished >= 10; }, 600);
    std::printf("10 items running at once on five pages: %d of 10 succeeded in %.3f s; longest event-loop stall "
                "%lld ms (target < 100 ms)\n",
                succeeded, timer.elapsed() / 1000.0, static_cast<long long>(probe.longest_ms()));
  }
  return 0;
}
