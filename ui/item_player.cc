#include "ui/item_player.h"

#include <glog/logging.h>

#include <algorithm>
#include <climits>

#include <QAudioOutput>
#include <QFileInfo>
#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace ui {
namespace {

QString TimeText(qint64 ms) {
  const qint64 s = std::max<qint64>(0, ms) / 1000;
  if (s >= 3600) {
    return QString("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar('0')).arg(s % 60, 2, 10, QChar('0'));
  }
  return QString("%1:%2").arg(s / 60, 2, 10, QChar('0')).arg(s % 60, 2, 10, QChar('0'));
}

void Repolish(QWidget* widget) {
  widget->style()->unpolish(widget);
  widget->style()->polish(widget);
}

}  // namespace

ItemPlayer::ItemPlayer(std::function<QWidget*(jobs::PageKind, int32_t)> find_element, QObject* parent)
    : QObject(parent), find_element_(std::move(find_element)) {}

ItemPlayer::~ItemPlayer() {
  // The window that owns the controls may be half gone: no more updates reach them.
  item_ = -1;
  if (player_) {
    player_->disconnect(this);
    player_->stop();
  }
}

QMediaPlayer* ItemPlayer::Player() {
  if (player_) return player_;
  // Made on the first play: the media back end takes a while to start, and most sessions
  // never listen.
  player_ = new QMediaPlayer(this);
  output_ = new QAudioOutput(this);
  player_->setAudioOutput(output_);
  connect(player_, &QMediaPlayer::positionChanged, this, [this] { UpdateControls(); });
  connect(player_, &QMediaPlayer::durationChanged, this, [this] { UpdateControls(); });
  connect(player_, &QMediaPlayer::playbackStateChanged, this, [this] {
    UpdateControls();
    emit stateChanged(item_, playing());
  });
  // The back end reports the old media's end and a new load from inside setSource; only a
  // load finished after it returns may take the seek of a stem switch.
  connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
    if (!setting_source_ && (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia)) {
      QTimer::singleShot(0, this, &ItemPlayer::OnLoaded);
    }
  });
  connect(player_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString& text) {
    LOG(WARNING) << "cannot play " << source().toStdString() << ": " << text.toStdString();
    Stop();
  });
  return player_;
}

bool ItemPlayer::playing() const { return player_ && player_->playbackState() == QMediaPlayer::PlayingState; }
qint64 ItemPlayer::position() const { return player_ ? player_->position() : 0; }
qint64 ItemPlayer::duration() const { return player_ ? player_->duration() : 0; }
QString ItemPlayer::source() const { return player_ ? player_->source().toLocalFile() : QString(); }

void ItemPlayer::Toggle(jobs::PageKind page, int32_t item, const Sources& sources) {
  Player();
  if (item == item_ && player_->playbackState() != QMediaPlayer::StoppedState) {
    playing() ? player_->pause() : player_->play();
    return;
  }
  if (item != item_) Stop();
  page_ = page;
  item_ = item;
  sources_ = sources;
  on_companion_ = false;
  resume_at_ = -1;
  player_->setSource(QUrl::fromLocalFile(sources_.result));
  player_->play();
  UpdateControls();
}

void ItemPlayer::SwitchStem(int32_t item) {
  if (item != item_ || sources_.companion.isEmpty()) return;
  const bool was_playing = playing();
  // A switch before the first file finished loading keeps the position it was to resume at.
  resume_at_ = resume_at_ >= 0 ? resume_at_ : player_->position();
  resume_playing_ = was_playing || player_->playbackState() == QMediaPlayer::StoppedState;
  on_companion_ = !on_companion_;
  setting_source_ = true;
  player_->setSource(QUrl::fromLocalFile(on_companion_ ? sources_.companion : sources_.result));
  setting_source_ = false;
  const QMediaPlayer::MediaStatus status = player_->mediaStatus();
  if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia) {
    QTimer::singleShot(0, this, &ItemPlayer::OnLoaded);
  }
  UpdateControls();
}

void ItemPlayer::OnLoaded() {
  if (resume_at_ < 0 || !player_) return;
  const qint64 at = resume_at_;
  resume_at_ = -1;
  // A seek needs a started pipeline: a stopped player drops it.
  resume_playing_ ? player_->play() : player_->pause();
  player_->setPosition(at);
}

void ItemPlayer::Seek(int32_t item, qint64 ms) {
  if (item != item_) return;
  if (resume_at_ >= 0) {
    resume_at_ = ms;
  } else {
    player_->setPosition(ms);
  }
}

void ItemPlayer::StopItem(int32_t item) {
  if (item == item_) Stop();
}

void ItemPlayer::Stop() {
  const int32_t item = item_;
  const jobs::PageKind page = page_;
  const qint64 total = duration();
  item_ = -1;
  resume_at_ = -1;
  sources_ = {};
  if (player_) {
    player_->stop();
    player_->setSource(QUrl());
  }
  if (item >= 0) ResetControls(page, item, total);
}

void ItemPlayer::ResetControls(jobs::PageKind page, int32_t item, qint64 total) {
  QWidget* element = find_element_(page, item);
  if (!element) return;
  if (auto* button = element->findChild<QPushButton*>("play-btn")) {
    button->setProperty("playing", false);
    Repolish(button);
  }
  if (auto* slider = element->findChild<QSlider*>("play-slider")) {
    const QSignalBlocker quiet(slider);
    slider->setValue(0);
  }
  if (auto* time = element->findChild<QLabel*>("play-time")) {
    time->setText(TimeText(0) + " / " + TimeText(total));
  }
}

void ItemPlayer::UpdateControls() {
  if (item_ < 0) return;
  QWidget* element = find_element_(page_, item_);
  if (!element) return;
  if (auto* button = element->findChild<QPushButton*>("play-btn")) {
    if (button->property("playing").toBool() != playing()) {
      button->setProperty("playing", playing());
      Repolish(button);
    }
  }
  const qint64 position = resume_at_ >= 0 ? resume_at_ : player_->position();
  if (auto* slider = element->findChild<QSlider*>("play-slider")) {
    // The user's drag wins over the player's reports.
    if (!slider->isSliderDown()) {
      const QSignalBlocker quiet(slider);
      slider->setRange(0, static_cast<int>(std::min<qint64>(player_->duration(), INT_MAX)));
      slider->setValue(static_cast<int>(std::min<qint64>(position, INT_MAX)));
    }
  }
  if (auto* time = element->findChild<QLabel*>("play-time")) {
    time->setText(TimeText(position) + " / " + TimeText(player_->duration()));
  }
  if (auto* stem = element->findChild<QPushButton*>("stem-switch")) {
    // The companion carries the other stem's suffix in its name.
    const bool companion_is_vocals = QFileInfo(sources_.companion).completeBaseName().endsWith("-人声");
    const bool hearing_vocals = on_companion_ == companion_is_vocals;
    stem->setText(hearing_vocals ? tr("人声") : tr("伴奏"));
  }
}

}  // namespace ui
