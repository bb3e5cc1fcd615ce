#include "ui/file_adder.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <algorithm>
#include <thread>
#include <utility>

#include "jobs/media_probe.h"

namespace ui {
namespace {

// Elements are built for at most this long before the event loop gets its turn.
constexpr qint64 kSliceMs = 12;

}  // namespace

FileAdder::FileAdder(std::function<int32_t(jobs::PageKind, const QString&)> add,
                     std::function<void(jobs::PageKind, int32_t, double)> set_duration, QObject* parent)
    : QObject(parent),
      add_(std::move(add)),
      set_duration_(std::move(set_duration)),
      pool_(std::max(1u, std::thread::hardware_concurrency())) {
  slicer_.setInterval(0);
  connect(&slicer_, &QTimer::timeout, this, &FileAdder::AddSlice);
}

FileAdder::~FileAdder() {
  slicer_.stop();
  // The probes not started are dropped; pool_, the last member, waits for the running ones.
  pool_.Clear();
}

void FileAdder::Add(jobs::PageKind page, const QStringList& paths, jobs::NamedFiles named) {
  std::vector<std::string> list;
  for (const QString& path : paths) list.push_back(path.toStdString());
  ++pending_;
  auto batch = std::make_shared<Batch>();
  batch->page = page;
  batches_.push_back(batch);
  // The walk of a large or slow folder tree happens off the UI thread; the result comes back
  // as a queued call, which Qt drops if this object is gone by then.
  pool_.Start([this, batch, page, list = std::move(list), named] {
    auto media = std::make_shared<jobs::MediaFiles>(jobs::ExpandMediaPaths(page, list, named));
    Post([this, batch, media] { Expanded(batch, std::move(*media)); });
  });
}

void FileAdder::Post(std::function<void()> done) {
  bool first = false;
  {
    std::lock_guard<std::mutex> lock(inbox_mutex_);
    first = inbox_.empty();
    inbox_.push_back(std::move(done));
  }
  // The work crosses threads under the mutex; the queued call is made by name, so Qt builds it
  // inside its own library. A Drain already queued takes whatever arrives before it runs.
  if (first) QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void FileAdder::Drain() {
  std::vector<std::function<void()>> done;
  {
    std::lock_guard<std::mutex> lock(inbox_mutex_);
    done.swap(inbox_);
  }
  for (const std::function<void()>& step : done) step();
}

void FileAdder::Expanded(const std::shared_ptr<Batch>& batch, jobs::MediaFiles media) {
  --pending_;
  batch->files = std::move(media.files);
  batch->skipped = media.skipped;
  batch->ready = true;
  if (!slicer_.isActive()) slicer_.start();
}

void FileAdder::AddSlice() {
  QElapsedTimer clock;
  clock.start();
  while (!batches_.empty() && batches_.front()->ready && clock.elapsed() < kSliceMs) {
    Batch& batch = *batches_.front();
    if (batch.next < batch.files.size()) {
      const std::string path = batch.files[batch.next++];
      const int32_t item = add_(batch.page, QString::fromStdString(path));
      if (item < 0) continue;
      ++batch.added;
      ++probing_;
      const jobs::PageKind page = batch.page;
      pool_.Start([this, page, item, path] {
        const double seconds = jobs::ProbeMediaDuration(path);
        Post([this, page, item, seconds] {
          set_duration_(page, item, seconds);
          --probing_;
        });
      });
      continue;
    }
    const std::shared_ptr<Batch> done = batches_.front();
    batches_.pop_front();
    emit finished(done->page, done->added, static_cast<int>(done->skipped));
  }
  // The next batch's expansion restarts the slicer when it comes back.
  if (batches_.empty() || !batches_.front()->ready) slicer_.stop();
}

}  // namespace ui
