// What the jobs need of the window that hosts them, and the messages they post to it.
//
// The jobs never touch controls from a worker thread: threads post messages, and the host
// hands each one back to JobController::HandleMessage on its user-interface thread.
#ifndef JOBS_JOB_HOST_H_
#define JOBS_JOB_HOST_H_

#include <cstdint>
#include <memory>
#include <string>

#include "jobs/page_kind.h"

namespace jobs {

// Window messages of the jobs. WM_STAGE_DONE keeps its historic number.
enum JobMessage : uint32_t {
  WM_STAGE_DONE = 1355,    // a first stage ended well: StageDoneRecord
  WM_JOB_PROGRESS = 1356,  // ProgressRecord
  WM_JOB_FINISHED = 1357,  // an item reached its end state: FinishedRecord
};

struct MessageRecord {
  virtual ~MessageRecord() = default;
};

// A first stage has ended: its ffmpeg printed "muxing overhead:" and exited with status 0.
struct StageDoneRecord : MessageRecord {
  int32_t item = 0;
  int32_t page = 0;
  std::string output_path;  // the temporary WAV, or the final output of a filter page
};

struct ProgressRecord : MessageRecord {
  int32_t item = 0;
  int32_t page = 0;
  int percent = 0;  // 0..100
};

struct FinishedRecord : MessageRecord {
  int32_t item = 0;
  int32_t page = 0;
  bool success = false;
  std::string cause;   // why it failed; empty on success
  std::string output;  // the result file on success
  // Separation only: the other stem of the same run, a WAV file in the temporary folder, for
  // listening; empty when there is none.
  std::string companion;
};

// Thread-safe: posts a message to the host's user-interface thread. Posting after the host is
// gone is a no-op.
class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  virtual void PostMessage(uint32_t message, std::unique_ptr<MessageRecord> record) = 0;
};

// The controls of the window, as the jobs see them. REQUIRES: called on the UI thread only.
class JobHost {
 public:
  virtual ~JobHost() = default;

  // Page options, by control name.
  virtual std::string GetText(const std::string& control) = 0;
  virtual int GetSelectedIndex(const std::string& control) = 0;
  // The tempo percentage and the compress level the window holds.
  virtual int GetTempoValue() = 0;
  virtual int GetCompressLevel() = 0;

  // A control inside the element "item-<item>" of `list`. When the element no longer exists
  // (the user removed it) the call does nothing.
  virtual void SetItemVisible(const std::string& list, int32_t item, const std::string& control, bool visible) = 0;
  virtual void SetItemEnabled(const std::string& list, int32_t item, const std::string& control, bool enabled) = 0;
  virtual void SetItemProgress(const std::string& list, int32_t item, const std::string& control, int percent) = 0;
  virtual void SetItemToolTip(const std::string& list, int32_t item, const std::string& control,
                              const std::string& text) = 0;

  // The modal prompt box.
  virtual void ShowPrompt(const std::string& text) = 0;

  // Told after an item reached its end state (for the command line's report).
  virtual void OnItemFinished(const FinishedRecord& /*record*/) {}
};

}  // namespace jobs

#endif  // JOBS_JOB_HOST_H_
