#include "jobs/job_controller.h"

#include <glog/logging.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "jobs/commands.h"
#include "jobs/results.h"
#include "jobs/stages.h"
#include "jobs/tool_locator.h"
#include "jobs/trace.h"
#include "shell/paths.h"
#include "shell/program_dir.h"

namespace jobs {
namespace {

namespace fs = std::filesystem;

bool WritableFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec) && access(path.c_str(), W_OK | X_OK) == 0;
}

// A format text becomes a file extension: plain letters and digits only.
bool PlainFormat(const std::string& format) {
  return !format.empty() && std::all_of(format.begin(), format.end(), [](unsigned char c) { return std::isalnum(c); });
}

}  // namespace

JobEnvironment JobEnvironment::Default() {
  JobEnvironment env;
  env.find_tool = [](const std::string& name) { return FindTool(name); };
  env.output_dir = [] { return shell::GetOutputDir(); };
  env.temp_dir = [] { return shell::CreateAppDataDir("VantuVoiceSeparate/Temp"); };
  env.model_dir = shell::DataDir() + "models/2stems/saved_model";
  return env;
}

JobController::JobController(JobHost& host, std::shared_ptr<MessagePoster> poster, JobEnvironment env)
    : host_(host), poster_(std::move(poster)), env_(std::move(env)) {}

JobController::~JobController() {
  for (auto& [item, running] : running_) running.token->Cancel();
  threads_.JoinAll();
}

size_t JobController::RunningCount(PageKind page) const {
  return static_cast<size_t>(
      std::count_if(running_.begin(), running_.end(), [page](const auto& entry) { return entry.second.page == page; }));
}

void JobController::CancelAll() {
  for (auto& [item, running] : running_) running.token->Cancel();
}

void JobController::StartItem(PageKind page, int32_t item, const TaskItem& task) {
  if (page == Extract && !busy_list_.empty()) {
    host_.ShowPrompt(kBusyPrompt);
    return;
  }
  if (running_.count(item)) return;

  const PageNames& names = NamesOf(page);
  host_.SetItemVisible(names.list, item, names.progress, true);
  host_.SetItemVisible(names.list, item, kStatusSuccess, false);
  host_.SetItemVisible(names.list, item, kStatusFailed, false);
  host_.SetItemEnabled(names.list, item, names.start_button, false);
  host_.SetItemProgress(names.list, item, names.progress, 0);
  host_.SetItemToolTip(names.list, item, kStatusFailed, "");
  if (page == Extract) busy_list_.push_back(item);
  Running& running = running_[item];
  running = Running{page, task, "", std::make_shared<CancelToken>(), ""};

  std::vector<std::string> argv;
  std::string cause;
  if (!PrepareFirstStage(page, task, item, &argv, &running, &cause)) return PostFailure(page, item, cause);
  Trace("cmdline: " + JoinArgs(argv));
  ChildProcess child = ChildProcess::Start(argv, OutputMode::kCapture);
  if (!child.ok()) return PostFailure(page, item, "ffmpeg could not be started: " + child.error());

  PipeWatch watch;
  watch.item = item;
  watch.read_end = child.TakeOutput();
  watch.owner = poster_;
  watch.page = page;
  watch.output_path = running.stage_output;
  watch.shown_path = running.result.empty() ? running.stage_output : running.result;
  watch.child = std::move(child);
  watch.token = running.token;
  threads_.Start([watch = std::make_shared<PipeWatch>(std::move(watch))] {
    WatchChildOutput(std::move(*watch));
  });
}

bool JobController::PrepareFirstStage(PageKind page, const TaskItem& task, int32_t item,
                                      std::vector<std::string>* argv, Running* running, std::string* cause) {
  std::string* output = &running->stage_output;
  std::error_code ec;
  if (!fs::is_regular_file(task.fullPath, ec)) {
    *cause = "the file " + task.fullPath + " no longer exists or is not a file";
    return false;
  }
  const std::string ffmpeg = env_.find_tool("ffmpeg");
  if (ffmpeg.empty()) {
    *cause = "ffmpeg was not found beside the program or on PATH";
    return false;
  }
  Trace("appPath: " + shell::ProgramDir());
  const std::string out_dir = env_.output_dir();
  if (!WritableFolder(out_dir)) {
    *cause = "the output folder " + out_dir + " cannot be written";
    return false;
  }
  // Leftovers of a killed run go once per folder.
  if (swept_folders_.insert(out_dir).second) RemoveStalePartials(out_dir);
  const std::string base = BaseName(task.fileName);

  if (page == Extract || page == Pitch || page == Tempo) {
    const std::string temp = env_.temp_dir();
    if (!WritableFolder(temp)) {
      *cause = "the temporary folder " + temp + " cannot be written";
      return false;
    }
    // The item number keeps two items of the same name from sharing one file.
    *output = temp + "/" + base + "." + std::to_string(item) + ".wav";
    *argv = page == Extract ? ExtractToWavCommand(ffmpeg, task.fullPath, *output)
                            : ToWavCommand(ffmpeg, task.fullPath, *output);
    return true;
  }

  const std::string format = host_.GetText(NamesOf(page).format);
  if (!PlainFormat(format)) {
    *cause = "'" + format + "' is not an output format";
    return false;
  }
  running->result = UnusedPathFor(out_dir + "/" + base + "." + format, task.fullPath);
  Trace("tempFile.fileName: " + running->result);
  *output = PartialResultPath(running->result, item);
  switch (page) {
    case Silence:
      *argv = SilenceCommand(ffmpeg, task.fullPath, *output);
      break;
    case Compress:
      *argv = CompressCommand(ffmpeg, task.fullPath, *output, CompressBitrate(host_.GetCompressLevel()));
      break;
    case Reverse:
      *argv = ReverseCommand(ffmpeg, task.fullPath, *output);
      break;
    default: {
      MetadataFields fields;
      fields.cover = host_.GetText("cover-edit");
      fields.album = host_.GetText("album-edit");
      fields.artist = host_.GetText("artist-edit");
      fields.year = host_.GetText("year-edit");
      fields.genre = host_.GetText("genre-edit");
      *argv = MetadataCommand(ffmpeg, task.fullPath, MetadataOptions(fields, format, base), *output);
      break;
    }
  }
  return true;
}

void JobController::PostFailure(PageKind page, int32_t item, const std::string& cause) {
  LOG(ERROR) << "Item " << item << " could not start: " << cause;
  PostFinished(*poster_, page, item, false, cause, "");
}

bool JobController::HandleMessage(uint32_t message, std::unique_ptr<MessageRecord> record) {
  switch (message) {
    case WM_STAGE_DONE: {
      auto* done = dynamic_cast<StageDoneRecord*>(record.get());
      if (!done) return true;
      record.release();
      OnStageDone(std::unique_ptr<StageDoneRecord>(done));
      return true;
    }
    case WM_JOB_PROGRESS: {
      const auto* progress = dynamic_cast<const ProgressRecord*>(record.get());
      if (progress && running_.count(progress->item)) {
        const PageNames& names = NamesOf(static_cast<PageKind>(progress->page));
        host_.SetItemProgress(names.list, progress->item, names.progress, progress->percent);
      }
      return true;
    }
    case WM_JOB_FINISHED: {
      if (const auto* finished = dynamic_cast<const FinishedRecord*>(record.get())) OnFinished(*finished);
      return true;
    }
    default:
      return false;
  }
}

void JobController::OnStageDone(std::unique_ptr<StageDoneRecord> record) {
  Trace("seq: " + std::to_string(record->item));
  const auto it = running_.find(record->item);
  if (it == running_.end()) return;
  const Running& running = it->second;
  const PageKind page = running.page;
  if (page != Extract && page != Pitch && page != Tempo) {
    FinishedRecord done;
    done.item = record->item;
    done.page = page;
    done.cause = PublishResult(running.stage_output, running.result);
    done.success = done.cause.empty();
    if (done.success) done.output = running.result;
    if (!done.success) LOG(ERROR) << "Item " << done.item << " failed: " << done.cause;
    return OnFinished(done);
  }

  // The worker runs with the page's choices as they are now.
  WorkerJob job;
  job.item = record->item;
  job.page = page;
  job.task = running.task;
  job.temp_wav = record->output_path;
  job.format = host_.GetText(NamesOf(page).format);
  job.owner = poster_;
  job.token = running.token;
  if (page == Extract) {
    job.extract_type = host_.GetSelectedIndex("audio-extract-type");
  } else if (page == Pitch) {
    job.semitones = Semitones(host_.GetSelectedIndex("audio-pitch-type"), host_.GetSelectedIndex("audio-high-pitch"),
                              host_.GetSelectedIndex("audio-low-pitch"));
  } else {
    job.tempo = host_.GetTempoValue();
  }
  if (!PlainFormat(job.format)) {
    std::error_code ec;
    fs::remove(job.temp_wav, ec);
    return PostFailure(page, job.item, "'" + job.format + "' is not an output format");
  }
  const JobEnvironment* env = &env_;
  if (page == Extract) {
    threads_.Start([job, env] { SeparationWorker(job, *env); });
  } else {
    threads_.Start([job, env] { StretchWorker(job, *env); });
  }
}

void JobController::OnFinished(const FinishedRecord& record) {
  const auto it = running_.find(record.item);
  if (it == running_.end()) return;
  const PageKind page = it->second.page;
  const PageNames& names = NamesOf(page);
  host_.SetItemVisible(names.list, record.item, names.progress, false);
  host_.SetItemVisible(names.list, record.item, record.success ? kStatusSuccess : kStatusFailed, true);
  host_.SetItemEnabled(names.list, record.item, names.start_button, true);
  if (record.success) {
    host_.SetItemProgress(names.list, record.item, names.progress, 100);
    host_.SetItemToolTip(names.list, record.item, kStatusSuccess, record.output);
  } else {
    host_.SetItemToolTip(names.list, record.item, kStatusFailed, record.cause);
    // A failed stage's own file goes: a partial result or the item's temporary WAV.
    std::error_code ec;
    if (!it->second.stage_output.empty()) fs::remove(it->second.stage_output, ec);
  }
  if (page == Extract) {
    Trace("busyList.size:" + std::to_string(busy_list_.size()));
    const auto busy = std::find(busy_list_.begin(), busy_list_.end(), record.item);
    if (busy != busy_list_.end()) {
      busy_list_.erase(busy);
      Trace("busyList.size:" + std::to_string(busy_list_.size()));
    }
  }
  running_.erase(it);
  host_.OnItemFinished(record);
}

}  // namespace jobs
