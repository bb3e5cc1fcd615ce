// The thread procedures of the jobs: the reader of a first-stage ffmpeg child and the
// second-stage workers. Each ends by posting WM_STAGE_DONE or WM_JOB_FINISHED.
#ifndef JOBS_STAGES_H_
#define JOBS_STAGES_H_

#include <cstdint>
#include <memory>
#include <string>

#include "jobs/child_process.h"
#include "jobs/job_host.h"
#include "jobs/job_threads.h"
#include "jobs/page_kind.h"
#include "jobs/task_item.h"

namespace jobs {

struct JobEnvironment;

// What a first stage hands to its reader thread.
struct PipeWatch {
  int32_t item = 0;
  UniqueFd read_end;
  std::shared_ptr<MessagePoster> owner;
  int32_t page = 0;
  std::string output_path;
  std::string shown_path;  // the name the user knows output_path by (a result's real name)
  ChildProcess child;
  std::shared_ptr<CancelToken> token;
};

// Follows the child's output, posts its progress, and when it ends posts WM_STAGE_DONE if it
// printed "muxing overhead:" and exited with status 0, else WM_JOB_FINISHED with the cause.
void WatchChildOutput(PipeWatch watch);

// The choices a worker runs with, read from the page when it starts.
struct WorkerJob {
  int32_t item = 0;
  PageKind page = Extract;
  TaskItem task;
  std::string temp_wav;
  std::string format;
  int extract_type = 0;  // separation: 0 accompaniment, other vocals
  int semitones = 0;     // pitch
  int tempo = 0;         // tempo percentage
  std::shared_ptr<MessagePoster> owner;
  std::shared_ptr<CancelToken> token;
};

void SeparationWorker(const WorkerJob& job, const JobEnvironment& env);
// Pitch and tempo: soundstretch, then the conversion.
void StretchWorker(const WorkerJob& job, const JobEnvironment& env);

void PostFinished(MessagePoster& owner, int32_t page, int32_t item, bool success, const std::string& cause,
                  const std::string& output, const std::string& companion = "");
void PostProgress(MessagePoster& owner, int32_t page, int32_t item, int percent);

}  // namespace jobs

#endif  // JOBS_STAGES_H_
