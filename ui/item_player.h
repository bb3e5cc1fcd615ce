// Listening to a finished item inside the program: one item plays at a time, driven by the
// play button, position slider and time label of its list element and, on the separation page,
// a switch between the stem that was asked for and the other stem of the same run.
//
// The audio itself is Qt Multimedia's (its media back end decodes and plays); this class only
// ties it to the controls. REQUIRES: the UI thread.
#ifndef UI_ITEM_PLAYER_H_
#define UI_ITEM_PLAYER_H_

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "jobs/page_kind.h"

class QAudioOutput;
class QMediaPlayer;
class QWidget;

namespace ui {

class ItemPlayer : public QObject {
  Q_OBJECT

 public:
  // The files an item can play: its result and, for a separation, the other stem (or empty).
  struct Sources {
    QString result;
    QString companion;
  };

  // `find_element` gives the list element of an item, or null once it is gone.
  ItemPlayer(std::function<QWidget*(jobs::PageKind, int32_t)> find_element, QObject* parent);
  ~ItemPlayer() override;
  ItemPlayer(const ItemPlayer&) = delete;
  ItemPlayer& operator=(const ItemPlayer&) = delete;

  // The play button of `item`: plays it from the start (stopping the item that played before),
  // or pauses and resumes it.
  void Toggle(jobs::PageKind page, int32_t item, const Sources& sources);
  // Plays the other stem of the playing (or paused) item from the same position.
  void SwitchStem(int32_t item);
  // The position slider of the current item was moved to `ms`.
  void Seek(int32_t item, qint64 ms);
  // Stops playing when `item` is the current one (it is removed or runs again).
  void StopItem(int32_t item);
  void Stop();

  int32_t current_item() const { return item_; }  // -1 when none
  bool playing() const;
  bool on_companion() const { return on_companion_; }
  qint64 position() const;
  qint64 duration() const;
  QString source() const;
  // A stem switch is waiting for the other file to load.
  bool switching() const { return resume_at_ >= 0; }

 signals:
  // The state of the current item changed (for tests and the screenshots tool).
  void stateChanged(int item, bool playing);

 private:
  void UpdateControls();
  void ResetControls(jobs::PageKind page, int32_t item, qint64 total);
  void OnLoaded();

  std::function<QWidget*(jobs::PageKind, int32_t)> find_element_;
  QMediaPlayer* Player();

  QMediaPlayer* player_ = nullptr;
  QAudioOutput* output_ = nullptr;
  jobs::PageKind page_ = jobs::Extract;
  int32_t item_ = -1;
  Sources sources_;
  bool on_companion_ = false;
  // A stem switch waits for the other file to load before it seeks and resumes.
  qint64 resume_at_ = -1;
  bool resume_playing_ = false;
  bool setting_source_ = false;
};

}  // namespace ui

#endif  // UI_ITEM_PLAYER_H_
