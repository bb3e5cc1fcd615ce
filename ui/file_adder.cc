#include "ui/file_adder.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <utility>

#include "jobs/media_probe.h"

namespace ui {
namespace {

// Elements are built for at most this long before the event loop gets its turn.
constexpr qint64 kSliceMs = 12;

}  // namespace

FileAdder::FileAdder(std::function<int32_t(jobs::PageKind, const QString&)> add,
                     std::function<void(jobs::PageKind, int32_t, double)> set_duration, QObject* parent)
    : QObject(parent), add_(std::move(add)), set_duration_(std::move(set_duration)) {
  pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
  slicer_.setInterval(0);
  connect(&slicer_, &QTimer::timeout, this, &FileAdder::AddSlice);
}

FileAdder::~FileAdder() {
  slicer_.stop();
  pool_.clear();
  pool_.waitForDone();
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
  pool_.start([this, batch, page, list = std::move(list), named] {
    jobs::MediaFiles media = jobs::ExpandMediaPaths(page, list, named);
    QMetaObject::invokeMethod(
        this, [this, batch, media = std::move(media)]() mutable { Expanded(batch, std::move(media)); },
        Qt::QueuedConnection);
  });
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
      pool_.start([this, page, item, path] {
        const double seconds = jobs::ProbeMediaDuration(path);
        QMetaObject::invokeMethod(
            this,
            [this, page, item, seconds] {
              set_duration_(page, item, seconds);
              --probing_;
            },
            Qt::QueuedConnection);
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
