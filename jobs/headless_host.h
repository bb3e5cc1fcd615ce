// A host for the jobs without a window: the command-line front end and the tests run the
// pages' jobs through it. Controls are plain values; posted messages wait in a queue until
// RunUntil hands them to the handler on the calling thread, which plays the UI thread.
#ifndef JOBS_HEADLESS_HOST_H_
#define JOBS_HEADLESS_HOST_H_

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_host.h"

namespace jobs {

// A thread-safe message queue; posts after Close() are dropped.
class MessageQueue : public MessagePoster {
 public:
  void PostMessage(uint32_t message, std::unique_ptr<MessageRecord> record) override;
  // Waits up to `timeout` for a message; false when none came.
  bool Take(std::chrono::milliseconds timeout, uint32_t* message, std::unique_ptr<MessageRecord>* record);
  void Close();

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::pair<uint32_t, std::unique_ptr<MessageRecord>>> queue_;
  bool closed_ = false;
};

class HeadlessHost : public JobHost {
 public:
  using Handler = std::function<void(uint32_t message, std::unique_ptr<MessageRecord> record)>;

  // The state of one list element's controls.
  struct Element {
    std::map<std::string, bool> visible;
    std::map<std::string, bool> enabled;
    std::map<std::string, int> progress;
    std::map<std::string, std::string> tool_tip;
  };

  HeadlessHost();
  ~HeadlessHost() override;

  std::shared_ptr<MessagePoster> poster() const { return queue_; }
  void SetHandler(Handler handler) { handler_ = std::move(handler); }
  // Hands posted messages to the handler until `done()` holds; false when `timeout` passed first.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  // Page options.
  void SetText(const std::string& control, const std::string& text) { texts_[control] = text; }
  void SetSelectedIndex(const std::string& control, int index) { indexes_[control] = index; }
  void SetTempoValue(int value) { tempo_ = value; }
  void SetCompressLevel(int level) { compress_level_ = level; }

  // List elements, as the window's list would hold them.
  void AddElement(const std::string& list, int32_t item);
  void RemoveElement(const std::string& list, int32_t item);
  std::optional<Element> GetElement(const std::string& list, int32_t item) const;

  const std::vector<std::string>& prompts() const { return prompts_; }
  // Called for every item that reached its end state.
  std::function<void(const FinishedRecord&)> on_finished;
  // Called for every progress change shown.
  std::function<void(int32_t item, int percent)> on_progress;

  // JobHost
  std::string GetText(const std::string& control) override;
  int GetSelectedIndex(const std::string& control) override;
  int GetTempoValue() override { return tempo_; }
  int GetCompressLevel() override { return compress_level_; }
  void SetItemVisible(const std::string& list, int32_t item, const std::string& control, bool visible) override;
  void SetItemEnabled(const std::string& list, int32_t item, const std::string& control, bool enabled) override;
  void SetItemProgress(const std::string& list, int32_t item, const std::string& control, int percent) override;
  void SetItemToolTip(const std::string& list, int32_t item, const std::string& control,
                      const std::string& text) override;
  void ShowPrompt(const std::string& text) override { prompts_.push_back(text); }
  void OnItemFinished(const FinishedRecord& record) override;

 private:
  Element* Find(const std::string& list, int32_t item);

  std::shared_ptr<MessageQueue> queue_;
  Handler handler_;
  std::map<std::string, std::string> texts_;
  std::map<std::string, int> indexes_;
  int tempo_ = 0;
  int compress_level_ = 1;
  std::map<std::pair<std::string, int32_t>, Element> elements_;
  std::vector<std::string> prompts_;
};

}  // namespace jobs

#endif  // JOBS_HEADLESS_HOST_H_
