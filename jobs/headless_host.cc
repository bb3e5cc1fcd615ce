#include "jobs/headless_host.h"

namespace jobs {

void MessageQueue::PostMessage(uint32_t message, std::unique_ptr<MessageRecord> record) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    queue_.emplace_back(message, std::move(record));
  }
  ready_.notify_one();
}

bool MessageQueue::Take(std::chrono::milliseconds timeout, uint32_t* message, std::unique_ptr<MessageRecord>* record) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!ready_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return false;
  *message = queue_.front().first;
  *record = std::move(queue_.front().second);
  queue_.pop_front();
  return true;
}

void MessageQueue::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  queue_.clear();
}

HeadlessHost::HeadlessHost() : queue_(std::make_shared<MessageQueue>()) {}

HeadlessHost::~HeadlessHost() { queue_->Close(); }

bool HeadlessHost::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    uint32_t message = 0;
    std::unique_ptr<MessageRecord> record;
    if (queue_->Take(std::min(left, std::chrono::milliseconds(100)), &message, &record) && handler_) {
      handler_(message, std::move(record));
    }
  }
  return true;
}

void HeadlessHost::AddElement(const std::string& list, int32_t item) {
  Element& e = elements_[{list, item}];
  e = Element{};
}

void HeadlessHost::RemoveElement(const std::string& list, int32_t item) { elements_.erase({list, item}); }

std::optional<HeadlessHost::Element> HeadlessHost::GetElement(const std::string& list, int32_t item) const {
  const auto it = elements_.find({list, item});
  if (it == elements_.end()) return std::nullopt;
  return it->second;
}

HeadlessHost::Element* HeadlessHost::Find(const std::string& list, int32_t item) {
  const auto it = elements_.find({list, item});
  return it == elements_.end() ? nullptr : &it->second;
}

std::string HeadlessHost::GetText(const std::string& control) {
  const auto it = texts_.find(control);
  return it == texts_.end() ? std::string() : it->second;
}

int HeadlessHost::GetSelectedIndex(const std::string& control) {
  const auto it = indexes_.find(control);
  return it == indexes_.end() ? 0 : it->second;
}

void HeadlessHost::SetItemVisible(const std::string& list, int32_t item, const std::string& control, bool visible) {
  if (Element* e = Find(list, item)) e->visible[control] = visible;
}

void HeadlessHost::SetItemEnabled(const std::string& list, int32_t item, const std::string& control, bool enabled) {
  if (Element* e = Find(list, item)) e->enabled[control] = enabled;
}

void HeadlessHost::SetItemProgress(const std::string& list, int32_t item, const std::string& control, int percent) {
  if (Element* e = Find(list, item)) {
    e->progress[control] = percent;
    if (on_progress) on_progress(item, percent);
  }
}

void HeadlessHost::SetItemToolTip(const std::string& list, int32_t item, const std::string& control,
                                  const std::string& text) {
  if (Element* e = Find(list, item)) e->tool_tip[control] = text;
}

void HeadlessHost::OnItemFinished(const FinishedRecord& record) {
  if (on_finished) on_finished(record);
}

}  // namespace jobs
