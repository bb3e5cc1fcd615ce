// Adds files and folders to a page's list without stalling the window: folders are expanded on
// a worker thread, the list elements are built a slice at a time between other events, and the
// durations are probed on worker threads and filled in as they arrive.
//
// REQUIRES: created, used and destroyed on the UI thread.
#ifndef UI_FILE_ADDER_H_
#define UI_FILE_ADDER_H_

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "jobs/media_files.h"
#include "jobs/page_kind.h"
#include "shell/work_queue.h"

namespace ui {

class FileAdder : public QObject {
  Q_OBJECT

 public:
  // `add` builds one item without probing it and returns its number (-1 when it cannot);
  // `set_duration` fills in the probed seconds of an item (-1.0 when unknown).
  FileAdder(std::function<int32_t(jobs::PageKind, const QString&)> add,
            std::function<void(jobs::PageKind, int32_t, double)> set_duration, QObject* parent);
  // Drops the probes that have not started and waits for the running ones.
  ~FileAdder() override;
  FileAdder(const FileAdder&) = delete;
  FileAdder& operator=(const FileAdder&) = delete;

  // Adds the media files of `paths` (files and folders, jobs::ExpandMediaPaths) to `page`.
  // Returns at once; `finished` tells the counts when the last of them is in the list.
  void Add(jobs::PageKind page, const QStringList& paths, jobs::NamedFiles named = jobs::NamedFiles::kFilter);

  // Whether additions or probes are still under way.
  bool busy() const { return !Idle(); }

 signals:
  void finished(int page, int added, int skipped);

 private slots:
  // Runs, on the UI thread, what the workers have posted.
  void Drain();

 private:
  // One Add call; batches are added in the order of the calls, each once its expansion is back.
  struct Batch {
    jobs::PageKind page;
    bool ready = false;
    std::vector<std::string> files;
    size_t next = 0;
    size_t skipped = 0;
    int added = 0;
  };
  // From a worker thread: `done` runs on the UI thread.
  void Post(std::function<void()> done);
  void Expanded(const std::shared_ptr<Batch>& batch, jobs::MediaFiles media);
  void AddSlice();
  bool Idle() const { return pending_ == 0 && batches_.empty() && probing_ == 0; }

  std::function<int32_t(jobs::PageKind, const QString&)> add_;
  std::function<void(jobs::PageKind, int32_t, double)> set_duration_;
  QTimer slicer_;
  std::deque<std::shared_ptr<Batch>> batches_;
  int pending_ = 0;  // expansions still on a worker thread
  int probing_ = 0;  // probes not yet reported
  std::mutex inbox_mutex_;
  std::vector<std::function<void()>> inbox_;
  // Last, so its threads are joined before the members they use go.
  shell::WorkQueue pool_;
};

}  // namespace ui

#endif  // UI_FILE_ADDER_H_
