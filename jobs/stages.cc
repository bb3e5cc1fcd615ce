#include "jobs/stages.h"

#include <glog/logging.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "jobs/commands.h"
#include "jobs/job_controller.h"
#include "jobs/progress_parser.h"
#include "jobs/results.h"
#include "jobs/trace.h"
#include "separation/separator.h"
#include "separation/write_failure.h"

namespace jobs {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// At most this many progress messages a second.
constexpr auto kProgressInterval = std::chrono::milliseconds(250);
constexpr size_t kTailBytes = 2048;

// The last non-empty line of ffmpeg's output: where it says what went wrong.
std::string LastLine(const std::string& text) {
  size_t end = text.find_last_not_of("\r\n ");
  if (end == std::string::npos) return "";
  const size_t start = text.find_last_of("\r\n", end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

std::string ExitText(const ExitStatus& status) {
  if (!status.killed()) return "exited with status " + std::to_string(status.code);
  const char* name = sigdescr_np(status.signal);
  return "was stopped by signal " + std::to_string(status.signal) + (name ? std::string(" (") + name + ")" : "");
}

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  if (!path.empty()) fs::remove(path, ec);
}

// Runs a tool that writes `written` (a partial file) for a worker; the empty string when it
// ran well, else why not, naming `shown`. A failed run's partial file goes.
std::string RunStep(const std::string& what, const std::vector<std::string>& argv, CancelToken& token,
                    const std::string& written, const std::string& shown) {
  const RunResult result = RunCancellable(argv, token, /*keep_output=*/true);
  std::string failure;
  if (token.cancelled()) {
    failure = what + " was cancelled";
  } else if (!result.started()) {
    failure = what + " could not be started: " + result.error;
  } else {
    Trace("dwExitCode: " + std::to_string(result.status.code));
    // A WAV cut short or words of a failed write count as a failure whatever the exit status.
    const bool cut_short = fs::path(written).extension() == ".wav" && result.status.success() && !CompleteWav(written);
    if (!result.status.success() || cut_short || ToolSaysWriteFailed(result.output_tail)) {
      failure = WriteFailureCause(shown, written, result.output_tail, result.status);
      if (failure.empty() && cut_short) failure = separation::WriteFailure(shown, 0).what();
      if (failure.empty()) {
        failure = what + " failed: " + argv.front() + " " + ExitText(result.status);
        const std::string said = LastLine(result.output_tail);
        if (!said.empty()) failure += ": " + said;
      }
    }
  }
  if (!failure.empty()) RemoveQuietly(written);
  return failure;
}

// Turns the complete partial WAV `wav` into the result: converted when the format asks for
// it, else renamed to `stem_wav`. Returns the result's path, or sets `cause`. When only the
// conversion failed (not cancelled), the WAV stays as `stem_wav` if no file has that name.
std::string FinishResult(const WorkerJob& job, const JobEnvironment& env, const std::string& wav,
                         const std::string& stem_wav, const std::string& output, std::string* cause) {
  if (!NeedsConversion(job.format)) {
    *cause = PublishResult(wav, stem_wav);
    return cause->empty() ? stem_wav : "";
  }
  const std::string ffmpeg = env.find_tool("ffmpeg");
  std::string failure;
  const std::string partial = PartialResultPath(output, job.item);
  if (ffmpeg.empty()) {
    failure = "ffmpeg was not found beside the program or on PATH";
  } else {
    failure = RunStep("the conversion to " + job.format, ConversionCommand(ffmpeg, wav, partial), *job.token,
                      partial, output);
  }
  if (failure.empty()) failure = PublishResult(partial, output);
  if (failure.empty()) {
    RemoveQuietly(wav);
    return output;
  }
  if (job.token->cancelled()) {
    RemoveQuietly(wav);
    *cause = "cancelled";
  } else {
    *cause = KeepIfNameFree(wav, stem_wav) ? failure + "; the WAV result stays at " + stem_wav : failure;
  }
  return "";
}

// Ends a worker: posts its end state and removes the temporary WAV (and, after a failure, the
// companion stem).
void EndWorker(const WorkerJob& job, const std::string& cause, const std::string& output,
               const std::string& companion = "") {
  if (!cause.empty()) LOG(ERROR) << "Item " << job.item << " (" << job.task.fullPath << ") failed: " << cause;
  RemoveQuietly(job.temp_wav);
  if (!cause.empty()) RemoveQuietly(companion);
  PostFinished(*job.owner, job.page, job.item, cause.empty(), cause, output, cause.empty() ? companion : "");
}

}  // namespace

void PostFinished(MessagePoster& owner, int32_t page, int32_t item, bool success, const std::string& cause,
                  const std::string& output, const std::string& companion) {
  auto record = std::make_unique<FinishedRecord>();
  record->item = item;
  record->page = page;
  record->success = success;
  record->cause = cause;
  record->output = output;
  record->companion = companion;
  owner.PostMessage(WM_JOB_FINISHED, std::move(record));
}

void PostProgress(MessagePoster& owner, int32_t page, int32_t item, int percent) {
  auto record = std::make_unique<ProgressRecord>();
  record->item = item;
  record->page = page;
  record->percent = percent;
  owner.PostMessage(WM_JOB_PROGRESS, std::move(record));
}

void WatchChildOutput(PipeWatch watch) {
  // From here on the owner can stop the child; when it already asked, stop it now.
  if (!watch.token->Attach(&watch.child)) watch.child.Kill();
  // The first stage is the whole job for the filter pages, half of it for the others.
  const int scale = watch.page <= Tempo ? 50 : 100;
  ProgressParser parser([](const std::string& line) { Trace(line); });
  std::string tail;
  int last_percent = -1;
  auto last_post = Clock::now() - kProgressInterval;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(watch.read_end.get(), buffer, sizeof buffer - 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const std::string_view chunk(buffer, static_cast<size_t>(n));
    parser.Feed(chunk);
    tail.append(chunk);
    if (tail.size() > 2 * kTailBytes) tail.erase(0, tail.size() - kTailBytes);
    const int percent = parser.percent();
    if (percent >= 0 && percent != last_percent && Clock::now() - last_post >= kProgressInterval) {
      PostProgress(*watch.owner, watch.page, watch.item, percent * scale / 100);
      last_percent = percent;
      last_post = Clock::now();
    }
  }
  watch.read_end.Reset();
  const ExitStatus status = watch.child.Wait();
  watch.token->Detach();

  if (parser.finished() && status.success() && !ToolSaysWriteFailed(tail)) {
    auto record = std::make_unique<StageDoneRecord>();
    record->item = watch.item;
    record->page = watch.page;
    record->output_path = watch.output_path;
    watch.owner->PostMessage(WM_STAGE_DONE, std::move(record));
    return;
  }
  std::string cause;
  if (watch.token->cancelled()) {
    cause = "cancelled";
  } else {
    cause = WriteFailureCause(watch.shown_path, watch.output_path, tail, status);
    if (cause.empty()) {
      cause = "ffmpeg " + ExitText(status) + " without finishing the conversion";
      const std::string said = LastLine(tail);
      if (!said.empty()) cause += ": " + said;
    }
  }
  LOG(ERROR) << "Item " << watch.item << " failed: " << cause;
  PostFinished(*watch.owner, watch.page, watch.item, false, cause, "");
}

void SeparationWorker(const WorkerJob& job, const JobEnvironment& env) {
  PostProgress(*job.owner, job.page, job.item, 55);
  const std::string out_dir = env.output_dir();
  const std::string base = BaseName(job.task.fileName);
  const std::string suffix = job.extract_type == 0 ? "-伴奏" : "-人声";
  // The stem is written as destination/stem_name.wav; never over the input itself.
  const std::string stem_wav = UnusedPathFor(out_dir + "/" + base + suffix + ".wav", job.task.fullPath);
  const std::string stem_name = fs::path(stem_wav).stem().string();
  const std::string output = UnusedPathFor(out_dir + "/" + stem_name + "." + job.format, job.task.fullPath);
  // The engine writes its WAV under a partial name; it becomes the result when it is complete.
  const std::string wav = PartialResultPath(stem_wav, job.item);
  separation::SeparatorOptions options = separation::StemOptions(
      job.temp_wav, out_dir, env.model_dir, job.extract_type != 0, fs::path(wav).stem().string());
  // The other stem of the same run stays in the temporary folder, so the user can listen to
  // both; the output folder gets only the one asked for.
  const std::string companion = fs::path(job.temp_wav).replace_extension().string() +
                                (job.extract_type == 0 ? "-人声" : "-伴奏") + ".wav";
  separation::AddCompanionStem(&options, companion);

  try {
    separation::SeparatorApp app(options);
    app.Run();
  } catch (const separation::WriteFailure& e) {
    LOG(ERROR) << "Caught Exception!! " << e.what();
    // Named as the user knows the file, not by its partial name.
    RemoveQuietly(wav);
    const std::string failed = e.path() == companion ? companion : stem_wav;
    return EndWorker(job, separation::WriteFailure(failed, e.error()).what(), "", companion);
  } catch (const std::exception& e) {
    LOG(ERROR) << "Caught Exception!! " << e.what();
    RemoveQuietly(wav);
    return EndWorker(job, e.what(), "", companion);
  }
  if (job.token->cancelled()) {
    RemoveQuietly(wav);
    return EndWorker(job, "cancelled", "", companion);
  }
  PostProgress(*job.owner, job.page, job.item, 90);
  std::string cause;
  const std::string result = FinishResult(job, env, wav, stem_wav, output, &cause);
  EndWorker(job, cause, result, companion);
}

void StretchWorker(const WorkerJob& job, const JobEnvironment& env) {
  PostProgress(*job.owner, job.page, job.item, 55);
  const std::string soundstretch = env.find_tool("soundstretch");
  if (soundstretch.empty()) return EndWorker(job, "soundstretch was not found beside the program or on PATH", "");
  Trace("soundstretchPath: " + soundstretch);

  const std::string out_dir = env.output_dir();
  std::string stem = out_dir + "/" + BaseName(job.task.fileName);
  if (job.page == Pitch) stem += "-" + PitchLabel(job.semitones);
  const std::string stem_wav = UnusedPathFor(stem + ".wav", job.task.fullPath);
  const std::string output = UnusedPathFor(stem + "." + job.format, job.task.fullPath);
  const std::string wav = PartialResultPath(stem_wav, job.item);

  const std::vector<std::string> argv = job.page == Pitch
                                            ? PitchCommand(soundstretch, job.temp_wav, wav, job.semitones)
                                            : TempoCommand(soundstretch, job.temp_wav, wav, job.tempo);
  Trace("cmdline:" + JoinArgs(argv));
  const std::string failure = RunStep("soundstretch", argv, *job.token, wav, stem_wav);
  if (!failure.empty()) return EndWorker(job, failure, "");
  PostProgress(*job.owner, job.page, job.item, 90);
  std::string cause;
  const std::string result = FinishResult(job, env, wav, stem_wav, output, &cause);
  EndWorker(job, cause, result);
}

}  // namespace jobs
