// Runs the items of the seven tool pages: the first stage (an ffmpeg child whose output a
// reader thread follows), the second stage of the separation, pitch and tempo jobs on a worker
// thread, and the end state of every item.
//
// Lives on the host's user-interface thread: StartItem and HandleMessage are called there
// only. Threads never touch the host; they post messages that come back to HandleMessage.
#ifndef JOBS_JOB_CONTROLLER_H_
#define JOBS_JOB_CONTROLLER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "jobs/job_host.h"
#include "jobs/job_threads.h"
#include "jobs/page_kind.h"
#include "jobs/task_item.h"

namespace jobs {

// Where the jobs find their tools and folders; tests replace any of it.
struct JobEnvironment {
  std::function<std::string(const std::string& name)> find_tool;  // full path or empty
  std::function<std::string()> output_dir;                         // created when missing
  std::function<std::string()> temp_dir;                           // created when missing
  std::string model_dir;                                            // the saved model's folder

  // The program's own: tools beside it or on PATH, the configured output folder, the
  // application-data temporary folder, models/ beside the program.
  static JobEnvironment Default();
};

constexpr char kBusyPrompt[] = "已经有任务在处理中!";

class JobController {
 public:
  JobController(JobHost& host, std::shared_ptr<MessagePoster> poster, JobEnvironment env);
  // Kills the children of running items and waits for their threads.
  ~JobController();
  JobController(const JobController&) = delete;
  JobController& operator=(const JobController&) = delete;

  // The start button of `item` on `page`: refuses a second separation with the busy prompt,
  // shows the element as running and starts the first stage. Every start ends in a
  // WM_JOB_FINISHED message, success or failure.
  void StartItem(PageKind page, int32_t item, const TaskItem& task);

  // Stops every running item: each still ends with a WM_JOB_FINISHED message ("cancelled"),
  // which removes its partial files.
  void CancelAll();

  // Handles the jobs' messages; false for a message that is not theirs.
  bool HandleMessage(uint32_t message, std::unique_ptr<MessageRecord> record);

  // Separations under way (at most one).
  const std::vector<int32_t>& busyList() const { return busy_list_; }
  bool IsRunning(int32_t item) const { return running_.count(item) != 0; }
  size_t RunningCount() const { return running_.size(); }
  // Items of `page` started and not yet ended.
  size_t RunningCount(PageKind page) const;

 private:
  struct Running {
    PageKind page;
    TaskItem task;
    std::string stage_output;  // the temporary WAV, or a filter page's partial result
    std::shared_ptr<CancelToken> token;
    std::string result;  // a filter page's result, which stage_output becomes when complete
  };

  void OnStageDone(std::unique_ptr<StageDoneRecord> record);
  void OnFinished(const FinishedRecord& record);
  // Ends the start of an item early with `cause`, through the message loop like every end.
  void PostFailure(PageKind page, int32_t item, const std::string& cause);
  // Builds the first stage's command and its output, or says why it cannot run.
  bool PrepareFirstStage(PageKind page, const TaskItem& task, int32_t item, std::vector<std::string>* argv,
                         Running* running, std::string* cause);

  JobHost& host_;
  std::shared_ptr<MessagePoster> poster_;
  JobEnvironment env_;
  std::vector<int32_t> busy_list_;
  std::map<int32_t, Running> running_;
  std::set<std::string> swept_folders_;
  ThreadGroup threads_;
};

}  // namespace jobs

#endif  // JOBS_JOB_CONTROLLER_H_
