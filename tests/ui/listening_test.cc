// Everyday use of the lists: whole folders in, listening to a result inside the program, and
// the desktop's word when a batch ends while the window is out of sight.
#include <QAbstractButton>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QListWidget>
#include <QMediaPlayer>
#include <QSlider>
#include <QStackedWidget>
#include <QElapsedTimer>
#include <filesystem>
#include <unistd.h>

#include "jobs/media_probe.h"
#include "tests/ui/ui_fixture.h"
#include "ui/batch_notifier.h"
#include "ui/item_player.h"

namespace ui_test {
namespace {

namespace fs = std::filesystem;
using jobs::PageKind;

// Plays the desktop's notification service on the test program's private session bus.
class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  QStringList summaries, bodies, actions;

 public slots:
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
              const QStringList& offered, const QVariantMap&, int) {
    summaries << summary;
    bodies << body;
    actions = offered;
    return 40 + static_cast<uint>(bodies.size());
  }
};

class ListeningTest : public UiTest {
 protected:
  // Full paths of a page's items in list order.
  std::vector<std::string> Listed(PageKind page) const {
    std::vector<std::string> paths;
    QListWidget* list = window_->ListOf(page);
    for (int row = 0; row < list->count(); ++row) {
      paths.push_back(window_->tasks().at(ui::TagOf(list->itemWidget(list->item(row)))).fullPath);
    }
    return paths;
  }
  QAbstractButton* Button(PageKind page, int32_t item, const char* name) const {
    return qobject_cast<QAbstractButton*>(ItemChild(page, item, name));
  }
  // Runs one item from its start button to its end.
  bool Run(PageKind page, int32_t item) {
    const size_t before = finished_.size();
    Button(page, item, jobs::NamesOf(page).start_button)->click();
    return WaitFor([&] { return finished_.size() > before; });
  }
};

TEST_F(ListeningTest, AFolderTreeGivesEachPageExactlyItsMediaFiles) {
  const std::string root = dir_.File("music");
  testing_support::WriteFiles(root, {"b.mp3", "10 x.flac", "notes.txt", ".hidden.mp3", "clip.mp4", ".git/x.mp3",
                                     "cd 2/d.ogg"});
  Make("music/cd 2/a.wav", {"-f", "lavfi", "-i", "sine=d=2"});
  ASSERT_EQ(symlink("..", (root + "/cd 2/back").c_str()), 0);
  const std::vector<std::string> audio = {root + "/10 x.flac", root + "/b.mp3", root + "/cd 2/a.wav",
                                          root + "/cd 2/d.ogg"};
  std::vector<std::string> video = audio;
  video.push_back(root + "/clip.mp4");  // "cd 2" sorts before "clip"
  for (int p = 0; p < jobs::kPageCount; ++p) {
    const auto page = static_cast<PageKind>(p);
    SCOPED_TRACE(jobs::ShortName(page));
    const bool takes_video = page == PageKind::Extract || page == PageKind::Pitch;
    desktop_.directories = {QString::fromStdString(root)};
    qobject_cast<QAbstractButton*>(Control(QString("add-%1-folder").arg(jobs::ShortName(page))))->click();
    ASSERT_TRUE(WaitFor([&] { return !window_->AddingFiles(); }));
    EXPECT_EQ(Listed(page), takes_video ? video : audio);
    EXPECT_EQ(qobject_cast<QLabel*>(Control(QString("%1-add-summary").arg(jobs::ShortName(page))))->text(),
              takes_video ? Shown("已添加 5 个文件，跳过 1 个非媒体文件", "Files added: 5; skipped as not audio or video: 1")
                          : Shown("已添加 4 个文件，跳过 2 个非媒体文件", "Files added: 4; skipped as not audio or video: 2"));
  }
  // The probed durations arrive in the background.
  const int32_t wav = ui::TagOf(window_->ListOf(PageKind::Tempo)->itemWidget(window_->ListOf(PageKind::Tempo)->item(2)));
  EXPECT_EQ(qobject_cast<QLabel*>(ItemChild(PageKind::Tempo, wav, "durationLabel"))->text(), "00:00:02");
}

TEST_F(ListeningTest, AFinishedSeparationPlaysAndSwitchesStemsAtThePosition) {
  const std::string song = Make("song.wav", {"-f", "lavfi", "-i", "sine=frequency=330:duration=4", "-ac", "2"});
  const int32_t item = window_->AddListItem(PageKind::Extract, QString::fromStdString(song));
  EXPECT_TRUE(ItemChild(PageKind::Extract, item, "playBox")->isHidden());
  ASSERT_TRUE(Run(PageKind::Extract, item));
  ASSERT_TRUE(finished_.back().second);
  ASSERT_FALSE(ItemChild(PageKind::Extract, item, "playBox")->isHidden());
  ASSERT_FALSE(ItemChild(PageKind::Extract, item, "stem-switch")->isHidden());
  const QString result = window_->FindElement(PageKind::Extract, item)->toolTip();

  ui::ItemPlayer& player = window_->player();
  Button(PageKind::Extract, item, "play-btn")->click();
  // No sound card here: the media back end still plays in real time into whatever sink it finds.
  ASSERT_TRUE(WaitFor([&] { return player.playing() && player.position() > 400; }, 20000));
  EXPECT_EQ(player.source(), result);
  EXPECT_NEAR(player.duration(), jobs::ProbeMediaDuration(result.toStdString()) * 1000, 50);
  EXPECT_TRUE(ItemChild(PageKind::Extract, item, "play-btn")->property("playing").toBool());
  auto* slider = qobject_cast<QSlider*>(ItemChild(PageKind::Extract, item, "play-slider"));
  ASSERT_TRUE(WaitFor([&] { return slider->value() > 400; }, 5000));
  EXPECT_NEAR(slider->maximum(), player.duration(), 1);

  // Paused, the switch lands exactly where the other stem stopped.
  Button(PageKind::Extract, item, "play-btn")->click();
  ASSERT_TRUE(WaitFor([&] { return !player.playing(); }, 5000));
  const qint64 paused_at = player.position();
  auto* stem = Button(PageKind::Extract, item, "stem-switch");
  const QString before = stem->text();
  stem->click();
  ASSERT_TRUE(WaitFor([&] { return !player.switching(); }, 10000));
  WaitFor([] { return false; }, 200);
  // The page's stem is the accompaniment; the other one waits in the temporary folder.
  const std::string companion = temp_dir_ + "/song." + std::to_string(item) + "-人声.wav";
  EXPECT_EQ(player.source().toStdString(), companion);
  EXPECT_NE(stem->text(), before);
  EXPECT_FALSE(player.playing());
  EXPECT_NEAR(player.position(), paused_at, 50);

  // Playing, it goes on from where it was.
  Button(PageKind::Extract, item, "play-btn")->click();
  ASSERT_TRUE(WaitFor([&] { return player.playing() && player.position() > paused_at + 300; }, 10000));
  const qint64 switched_at = player.position();
  QElapsedTimer clock;
  clock.start();
  stem->click();
  ASSERT_TRUE(WaitFor([&] { return !player.switching(); }, 10000));
  const qint64 resumed = player.position();
  EXPECT_EQ(player.source(), result);
  EXPECT_GE(resumed, switched_at - 50);
  EXPECT_LE(resumed, switched_at + clock.elapsed() + 50);
  ASSERT_TRUE(WaitFor([&] { return player.playing() && player.position() > resumed + 200; }, 10000));

  // One item at a time: starting another stops this one and resets its controls.
  const int32_t other = window_->AddListItem(PageKind::Reverse, QString::fromStdString(song));
  ASSERT_TRUE(Run(PageKind::Reverse, other));
  EXPECT_TRUE(ItemChild(PageKind::Reverse, other, "stem-switch") == nullptr);
  Button(PageKind::Reverse, other, "play-btn")->click();
  EXPECT_EQ(player.current_item(), other);
  EXPECT_FALSE(ItemChild(PageKind::Extract, item, "play-btn")->property("playing").toBool());
  EXPECT_EQ(slider->value(), 0);
  ASSERT_TRUE(WaitFor([&] { return player.playing(); }, 10000));

  // Removing the playing item stops it; the companion stem goes with it.
  window_->RemoveItem(PageKind::Reverse, other);
  EXPECT_EQ(player.current_item(), -1);
  EXPECT_FALSE(player.playing());
  EXPECT_TRUE(fs::exists(companion));
  window_->RemoveItem(PageKind::Extract, item);
  EXPECT_FALSE(fs::exists(companion));
}

TEST_F(ListeningTest, ABatchEndingOutOfSightIsToldAndTheNoticeLeadsToItsPage) {
  std::vector<std::tuple<int, QString, QString>> notices;
  QObject::connect(&window_->notifier(), &ui::BatchNotifier::shown,
                   [&](int page, const QString& title, const QString& text) { notices.emplace_back(page, title, text); });
  const std::string song = Make("tone.wav", {"-f", "lavfi", "-i", "sine=d=1"});
  testing_support::WriteFile(dir_.File("bad.mp3"), "not audio");
  const int32_t good = window_->AddListItem(PageKind::Reverse, QString::fromStdString(song));
  const int32_t bad = window_->AddListItem(PageKind::Reverse, QString::fromStdString(dir_.File("bad.mp3")));
  const int32_t again = window_->AddListItem(PageKind::Reverse, QString::fromStdString(song));
  window_->hide();
  Button(PageKind::Reverse, good, "reverseBtn")->click();
  Button(PageKind::Reverse, bad, "reverseBtn")->click();
  ASSERT_TRUE(WaitFor([&] { return finished_.size() == 2; }));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(std::get<0>(notices[0]), PageKind::Reverse);
  EXPECT_EQ(std::get<1>(notices[0]), qobject_cast<QAbstractButton*>(Control("audio-reverse"))->text());
  EXPECT_EQ(std::get<2>(notices[0]), Shown("2 个任务已处理完毕：1 个成功，1 个失败", "Tasks finished: 2 (1 succeeded, 1 failed)"));
  // The failed item shows why.
  QWidget* failed = ItemChild(PageKind::Reverse, bad, jobs::kStatusFailed);
  EXPECT_FALSE(failed->isHidden());
  // The cause, in the installed language.
  EXPECT_TRUE(failed->toolTip().startsWith(Shown("ffmpeg 以状态 ", "ffmpeg exited with status ")))
      << failed->toolTip().toStdString();

  // The notice's click brings the window back on that page.
  emit window_->notifier().clicked(PageKind::Reverse);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(qobject_cast<QStackedWidget*>(Control("main-tab"))->currentIndex(), PageKind::Reverse);

  // A new batch counts from zero.
  window_->showMinimized();
  ASSERT_TRUE(Run(PageKind::Reverse, again));
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(std::get<2>(notices[1]), Shown("1 个任务已处理完毕：1 个成功，0 个失败", "Tasks finished: 1 (1 succeeded, 0 failed)"));

  // In front of the user, the list itself says it.
  window_->ShowPage(PageKind::Reverse);
  ASSERT_TRUE(WaitFor([&] { return window_->isActiveWindow(); }, 5000));
  ASSERT_TRUE(Run(PageKind::Reverse, again));
  EXPECT_EQ(notices.size(), 2u);
}

TEST_F(ListeningTest, WithoutATrayTheDesktopsNotificationServiceTellsAndItsClickLeadsBack) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) GTEST_SKIP() << "no session bus (dbus-daemon missing)";
  FakeNotifications service;
  ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
  ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
  const std::string song = Make("tone.wav", {"-f", "lavfi", "-i", "sine=d=1"});
  const int32_t item = window_->AddListItem(PageKind::Compress, QString::fromStdString(song));
  qobject_cast<QAbstractButton*>(Control("audio-extract"))->setChecked(true);
  window_->hide();
  ASSERT_TRUE(Run(PageKind::Compress, item));
  ASSERT_TRUE(WaitFor([&] { return !service.bodies.isEmpty(); }, 10000));
  EXPECT_EQ(service.bodies, QStringList{Shown("1 个任务已处理完毕：1 个成功，0 个失败", "Tasks finished: 1 (1 succeeded, 0 failed)")});
  EXPECT_EQ(service.summaries, QStringList{qobject_cast<QAbstractButton*>(Control("audio-compress"))->text()});
  EXPECT_EQ(service.actions.value(0), "default");

  // The user clicks it: the service reports the default action of that notification.
  QDBusMessage clicked = QDBusMessage::createSignal("/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                                                    "ActionInvoked");
  clicked << uint(41) << QString("default");
  ASSERT_TRUE(bus.send(clicked));
  ASSERT_TRUE(WaitFor([&] { return window_->isVisible(); }, 10000));
  EXPECT_EQ(qobject_cast<QStackedWidget*>(Control("main-tab"))->currentIndex(), PageKind::Compress);
  bus.unregisterObject("/org/freedesktop/Notifications");
  bus.unregisterService("org.freedesktop.Notifications");
}

}  // namespace
}  // namespace ui_test

#include "listening_test.moc"
