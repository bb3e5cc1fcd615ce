// The main window as a user drives it: pages, options, adding files, running every page's
// items from their start buttons, menus, closing.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <filesystem>

#include "shell/ini_file.h"
#include "tests/ui/ui_fixture.h"
#include "ui/popup_menus.h"

namespace ui_test {
namespace {

using jobs::PageKind;

class MainWindowTest : public UiTest {};

TEST_F(MainWindowTest, OptionsSwitchPagesAndSetTheJobsChoices) {
  EXPECT_EQ(window_->windowTitle(), Shown("VANTU人声分离", "VANTU Voice Separate"));
  auto* tab = qobject_cast<QStackedWidget*>(Control("main-tab"));
  ASSERT_NE(tab, nullptr);
  qobject_cast<QRadioButton*>(Control("audio-metadata"))->setChecked(true);
  EXPECT_EQ(tab->currentIndex(), 6);
  qobject_cast<QRadioButton*>(Control("audio-pitch"))->setChecked(true);
  EXPECT_EQ(tab->currentIndex(), 1);

  EXPECT_EQ(window_->tempo_value(), 0);
  qobject_cast<QSlider*>(Control("audio-tempo-slider"))->setValue(37);
  EXPECT_EQ(window_->tempo_value(), 37);
  EXPECT_EQ(qobject_cast<QLabel*>(Control("audio-tempo-label"))->text(), "37%");

  auto* type = qobject_cast<QComboBox*>(Control("audio-pitch-type"));
  type->setCurrentIndex(1);
  EXPECT_TRUE(Control("audio-high-pitch")->isHidden());
  EXPECT_FALSE(Control("audio-low-pitch")->isHidden());
  type->setCurrentIndex(0);
  EXPECT_FALSE(Control("audio-high-pitch")->isHidden());
  EXPECT_TRUE(Control("audio-low-pitch")->isHidden());

  EXPECT_EQ(window_->compress_level(), 1);
  qobject_cast<QRadioButton*>(Control("compress-level-0"))->setChecked(true);
  EXPECT_EQ(window_->compress_level(), 0);
  qobject_cast<QRadioButton*>(Control("compress-level-2"))->setChecked(true);
  EXPECT_EQ(window_->compress_level(), 2);
}

TEST_F(MainWindowTest, CoverPickerKeepsTheTextWhenCancelled) {
  auto* cover = qobject_cast<QLineEdit*>(Control("cover-edit"));
  desktop_.file = {"/pictures/front.png"};
  qobject_cast<QAbstractButton*>(Control("add-cover-btn"))->click();
  EXPECT_EQ(cover->text(), "/pictures/front.png");
  EXPECT_EQ(desktop_.filters.back(), Shown("支持格式(*.jpg *.png *.bmp)", "Supported formats (*.jpg *.png *.bmp)"));
  desktop_.file = {""};
  qobject_cast<QAbstractButton*>(Control("add-cover-btn"))->click();
  EXPECT_EQ(cover->text(), "/pictures/front.png");
}

TEST_F(MainWindowTest, AddedFilesShowNameSizeDurationAndInterleavedNumbers) {
  const std::string a = Make("first song.mp3", {"-f", "lavfi", "-i", "sine=d=3.7"});
  const std::string b = Make("b.wav", {"-f", "lavfi", "-i", "sine=d=62"});
  testing_support::WriteFile(dir_.File("c.wav"), std::string(1500, 'x'));
  desktop_.files = {{QString::fromStdString(a)}, {QString::fromStdString(b)},
                    {QString::fromStdString(b), QString::fromStdString(dir_.File("c.wav"))}};
  qobject_cast<QAbstractButton*>(Control("add-extract-file"))->click();
  qobject_cast<QAbstractButton*>(Control("add-pitch-file"))->click();
  qobject_cast<QAbstractButton*>(Control("add-extract-file"))->click();
  EXPECT_TRUE(desktop_.filters[0].startsWith(Shown("支持格式(*.mp3 *.aac *.wma *.m4a", "Supported formats (*.mp3 *.aac *.wma *.m4a")));
  // The files go in the background, in the order they were chosen.
  ASSERT_TRUE(WaitFor([&] { return !window_->AddingFiles(); }));

  ASSERT_EQ(window_->ListOf(PageKind::Extract)->count(), 3);
  ASSERT_EQ(window_->ListOf(PageKind::Pitch)->count(), 1);
  EXPECT_NE(window_->FindElement(PageKind::Extract, 0), nullptr);
  EXPECT_NE(window_->FindElement(PageKind::Pitch, 1), nullptr);
  EXPECT_EQ(window_->FindElement(PageKind::Extract, 2)->objectName(), "item-2");
  EXPECT_EQ(window_->FindElement(PageKind::Extract, 3)->objectName(), "item-3");
  auto text = [this](PageKind p, int item, const char* name) {
    return qobject_cast<QLabel*>(ItemChild(p, item, name))->text();
  };
  EXPECT_EQ(text(PageKind::Extract, 0, "fileNameLabel"), "first song.mp3");
  EXPECT_EQ(text(PageKind::Extract, 0, "durationLabel"), "00:00:03");
  EXPECT_EQ(text(PageKind::Pitch, 1, "durationLabel"), "00:01:02");
  EXPECT_EQ(text(PageKind::Extract, 3, "fileSizeLabel"), "1KB");
  EXPECT_EQ(text(PageKind::Extract, 3, "durationLabel"), "00:00:00");
  EXPECT_EQ(window_->tasks().at(1).fullPath, b);

  // A cancelled dialog adds nothing; removing keeps the other numbers, the counter goes on.
  qobject_cast<QAbstractButton*>(Control("add-extract-file"))->click();
  ASSERT_TRUE(WaitFor([&] { return !window_->AddingFiles(); }));
  EXPECT_EQ(window_->ListOf(PageKind::Extract)->count(), 3);
  window_->RemoveItem(PageKind::Extract, 2);
  EXPECT_EQ(window_->ListOf(PageKind::Extract)->count(), 2);
  EXPECT_NE(window_->FindElement(PageKind::Extract, 3), nullptr);
  EXPECT_EQ(window_->AddListItem(PageKind::Silence, QString::fromStdString(a)), 4);
  // A name typed into the dialog that does not exist still becomes an item.
  desktop_.files = {{QString::fromStdString(dir_.File("typed.mp3"))}};
  qobject_cast<QAbstractButton*>(Control("add-silence-file"))->click();
  ASSERT_TRUE(WaitFor([&] { return !window_->AddingFiles(); }));
  EXPECT_EQ(window_->tasks().at(5).fileName, "typed.mp3");
  EXPECT_EQ(text(PageKind::Silence, 5, "fileSizeLabel"), "0B");
}

TEST_F(MainWindowTest, EveryPageRunsAnItemFromItsStartButtonToSuccess) {
  const std::string song = Make("song.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac", "2"});
  qobject_cast<QComboBox*>(Control("audio-compress-format"))->setCurrentText("mp3");
  for (int p = 0; p < jobs::kPageCount; ++p) {
    const auto page = static_cast<PageKind>(p);
    const int32_t item = window_->AddListItem(page, QString::fromStdString(song));
    auto* start = qobject_cast<QAbstractButton*>(ItemChild(page, item, jobs::NamesOf(page).start_button));
    ASSERT_NE(start, nullptr) << p;
    start->click();
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(ItemChild(page, item, jobs::NamesOf(page).progress)->isHidden());
    ASSERT_TRUE(WaitFor([&] { return finished_.size() == static_cast<size_t>(p + 1); })) << "page " << p;
    EXPECT_TRUE(finished_.back().second) << "page " << p << ": "
                                         << window_->FindElement(page, item)->toolTip().toStdString();
    EXPECT_FALSE(ItemChild(page, item, jobs::kStatusSuccess)->isHidden()) << p;
    EXPECT_TRUE(ItemChild(page, item, jobs::kStatusFailed)->isHidden()) << p;
    EXPECT_TRUE(ItemChild(page, item, jobs::NamesOf(page).progress)->isHidden()) << p;
    EXPECT_TRUE(start->isEnabled()) << p;
    const std::string output = window_->FindElement(page, item)->toolTip().toStdString();
    EXPECT_TRUE(std::filesystem::exists(output)) << p << ": " << output;
  }
}

TEST_F(MainWindowTest, TheBusyPromptGuardsSeparation) {
  const std::string song = Make("long.wav", {"-f", "lavfi", "-i", "sine=duration=20", "-ac", "2"});
  const int32_t first = window_->AddListItem(PageKind::Extract, QString::fromStdString(song));
  const int32_t second = window_->AddListItem(PageKind::Extract, QString::fromStdString(song));
  qobject_cast<QAbstractButton*>(ItemChild(PageKind::Extract, first, "extractBtn"))->click();
  QString prompt;
  AnswerNextBox(&prompt);
  qobject_cast<QAbstractButton*>(ItemChild(PageKind::Extract, second, "extractBtn"))->click();
  EXPECT_EQ(prompt, Shown("已经有任务在处理中!", "A task is already running!"));
  EXPECT_TRUE(ItemChild(PageKind::Extract, second, "extractBtn")->isEnabled());
  EXPECT_EQ(window_->busyList(), std::vector<int32_t>{first});

  // Removing the running item: its end is skipped without harm.
  window_->RemoveItem(PageKind::Extract, first);
  ASSERT_TRUE(WaitFor([&] { return finished_.size() == 1; }));
  EXPECT_TRUE(window_->busyList().empty());
  EXPECT_EQ(window_->FindElement(PageKind::Extract, first), nullptr);
}

TEST_F(MainWindowTest, PopupMenuOpensTheOutputFolderAndRemovesItems) {
  const std::string song = Make("x.wav", {"-f", "lavfi", "-i", "sine=d=1"});
  const int32_t a = window_->AddListItem(PageKind::Compress, QString::fromStdString(song));
  const int32_t b = window_->AddListItem(PageKind::Compress, QString::fromStdString(song));
  QWidget* button = ItemChild(PageKind::Compress, b, "compressListMenuBtn");
  ui::ItemPopMenu* menu = ui::ItemPopMenu::ShowAt(PageKind::Compress, window_.get(), button, QPoint(500, 300));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->pos(), QPoint(500 - menu->width(), 300));
  qobject_cast<QAbstractButton*>(menu->findChild<QWidget*>("open-dir"))->click();
  ASSERT_TRUE(WaitFor([&] { return !desktop_.opened.empty(); }, 5000));
  EXPECT_EQ(desktop_.opened.back(), QUrl::fromLocalFile(QString::fromStdString(out_dir_)));

  menu = ui::ItemPopMenu::ShowAt(PageKind::Compress, window_.get(), button, QPoint(500, 300));
  qobject_cast<QAbstractButton*>(menu->findChild<QWidget*>("remove-file"))->click();
  ASSERT_TRUE(WaitFor([&] { return window_->FindElement(PageKind::Compress, b) == nullptr; }, 5000));
  EXPECT_NE(window_->FindElement(PageKind::Compress, a), nullptr);
}

TEST_F(MainWindowTest, TrayMenuCommandsReachTheWindowAndClosingFollowsTheSetting) {
  ui::CMainTaskMenu* menu = ui::CMainTaskMenu::PlaceMenu(window_.get(), QPoint(100, 100));
  ASSERT_NE(menu, nullptr);
  qobject_cast<QAbstractButton*>(menu->findChild<QWidget*>("main_menu_item_help"))->click();
  ASSERT_TRUE(WaitFor([&] { return !desktop_.opened.empty(); }, 5000));
  EXPECT_TRUE(desktop_.opened.back().toString().endsWith("/help"));

  window_->showMinimized();
  menu = ui::CMainTaskMenu::PlaceMenu(window_.get(), QPoint(100, 100));
  qobject_cast<QAbstractButton*>(menu->findChild<QWidget*>("main_menu_item_home"))->click();
  ASSERT_TRUE(WaitFor([&] { return !window_->isMinimized(); }, 5000));

  // Closing minimises under the tray setting; the tray menu's quit ends the program all the same.
  SetSetting(shell::kKeyWindowClose, "1");
  window_->close();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_TRUE(window_->isMinimized());
  menu = ui::CMainTaskMenu::PlaceMenu(window_.get(), QPoint(100, 100));
  qobject_cast<QAbstractButton*>(menu->findChild<QWidget*>("main_menu_item_quit"))->click();
  ASSERT_TRUE(WaitFor([&] { return !window_->isVisible(); }, 5000));

  auto again = std::make_unique<ui::CMainWnd>(jobs::JobEnvironment::Default(), false);
  again->Create();
  again->show();
  SetSetting(shell::kKeyWindowClose, "0");
  again->close();
  EXPECT_FALSE(again->isVisible());
}

}  // namespace
}  // namespace ui_test
