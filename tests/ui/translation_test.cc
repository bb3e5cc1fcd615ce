// The windows speak the language of the locale: the source texts of the skins and the code under
// a Chinese locale, English without a Chinese character left under any other, and the English
// texts fit their controls. Why an item failed reads in that language too, with file names and
// tools' words intact.
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QUiLoader>
#include <cerrno>
#include <memory>

#include "separation/write_failure.h"
#include "tests/ui/ui_fixture.h"
#include "ui/cause_text.h"
#include "ui/framework/translation.h"

namespace ui_test {
namespace {

bool HasChinese(const QString& text) {
  static const QRegularExpression han("\\p{Han}");
  return text.contains(han);
}

// Every text a user can read on `root` and its children, each with the widget's name. Labels
// that show the user's own file names are left out.
std::vector<std::pair<QString, QString>> ReadableTexts(QWidget* root) {
  std::vector<std::pair<QString, QString>> texts;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    const QString name = w->objectName();
    if (name == "fileNameLabel") continue;
    auto add = [&](const QString& text) {
      if (!text.isEmpty()) texts.emplace_back(name, text);
    };
    add(w->toolTip());
    if (w->isWindow()) add(w->windowTitle());
    if (auto* label = qobject_cast<QLabel*>(w)) add(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) add(button->text());
    if (auto* edit = qobject_cast<QLineEdit*>(w)) add(edit->placeholderText());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) add(edit->placeholderText());
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      for (int i = 0; i < combo->count(); ++i) add(combo->itemText(i));
    }
  }
  return texts;
}

std::unique_ptr<QWidget> LoadForm(const QString& file, bool translate) {
  QFile form(QString(VANTU_BIN_DIR) + "/skin/" + file);
  if (!form.open(QIODevice::ReadOnly)) return nullptr;
  QUiLoader loader;
  loader.setTranslationEnabled(translate);
  return std::unique_ptr<QWidget>(loader.load(&form));
}

class TranslationTest : public UiTest {};

TEST_F(TranslationTest, EveryFormShowsItsOwnTextsInChineseAndOnlyEnglishOtherwise) {
  const QStringList forms = QDir(QString(VANTU_BIN_DIR) + "/skin").entryList({"*.xml"}, QDir::Files);
  ASSERT_GE(forms.size(), 20);
  for (const QString& file : forms) {
    const auto shown = LoadForm(file, true);
    const auto source = LoadForm(file, false);
    ASSERT_TRUE(shown && source) << file.toStdString();
    const auto shown_texts = ReadableTexts(shown.get());
    const auto source_texts = ReadableTexts(source.get());
    ASSERT_EQ(shown_texts.size(), source_texts.size()) << file.toStdString();
    for (size_t i = 0; i < shown_texts.size(); ++i) {
      const auto& [name, text] = shown_texts[i];
      if (ui::InstalledLanguage() == shell::UiLanguage::kChinese) {
        EXPECT_EQ(text, source_texts[i].second) << file.toStdString() << " " << name.toStdString();
      } else {
        EXPECT_FALSE(HasChinese(text)) << file.toStdString() << " " << name.toStdString() << ": " << text.toStdString();
      }
    }
  }
}

TEST_F(TranslationTest, MainWindowPagesSpeakTheLanguageAndTheirTextsFit) {
  const std::string song = Make("歌曲.mp3", {"-f", "lavfi", "-i", "sine=d=1"});
  for (int p = 0; p < jobs::kPageCount; ++p) window_->AddListItem(static_cast<jobs::PageKind>(p), QString::fromStdString(song));
  auto* tab = qobject_cast<QStackedWidget*>(Control("main-tab"));
  ASSERT_NE(tab, nullptr);
  bool chinese_seen = false;
  for (int page = 0; page < tab->count(); ++page) {
    tab->setCurrentIndex(page);
    WaitFor([] { return false; }, 50);
    for (const auto& [name, text] : ReadableTexts(window_.get())) {
      chinese_seen = chinese_seen || HasChinese(text);
      if (ui::InstalledLanguage() == shell::UiLanguage::kEnglish) {
        EXPECT_FALSE(HasChinese(text)) << "page " << page << " " << name.toStdString() << ": " << text.toStdString();
      }
    }
    // A visible one-line text wider than its control is cut off.
    for (QWidget* w : window_->findChildren<QWidget*>()) {
      if (!w->isVisible() || w->objectName() == "fileNameLabel") continue;
      auto* label = qobject_cast<QLabel*>(w);
      auto* button = qobject_cast<QAbstractButton*>(w);
      QString text;
      int room = 0;
      if (label && !label->wordWrap() && label->pixmap().isNull() && !label->text().contains('<')) {
        text = label->text();
        room = label->contentsRect().width();
      } else if (button) {
        text = button->text();
        room = button->width() - button->iconSize().width() * !button->icon().isNull();
      }
      if (text.isEmpty()) continue;
      EXPECT_LE(w->fontMetrics().horizontalAdvance(text), room)
          << "page " << page << " " << w->objectName().toStdString() << ": " << text.toStdString();
    }
  }
  EXPECT_EQ(chinese_seen, ui::InstalledLanguage() == shell::UiLanguage::kChinese);
}

TEST(CauseTextTest, EveryShapeOfTheJobsCausesReadsInTheInstalledLanguage) {
  const std::string partial = separation::WriteFailure("/out/歌 %1.wav", ENOSPC).what();
  const struct {
    std::string cause;
    const char* chinese;
  } cases[] = {
      {"cancelled", "已取消"},
      {partial, "/out/歌 %1.wav 无法写入：磁盘已满"},
      {separation::WriteFailure("/o/a.wav", EFBIG).what(), "/o/a.wav 无法写入：文件将超出文件大小的上限"},
      {separation::WriteFailure("/o/a.wav", ENOENT).what(), "/o/a.wav 无法写入：所在的文件夹已不存在"},
      {separation::WriteFailure("/o/a.wav", ENOTDIR).what(), "/o/a.wav 无法写入：所在的文件夹是一个文件，不是文件夹"},
      {separation::WriteFailure("/o/a.wav", EACCES).what(), "/o/a.wav 无法写入：该文件夹不允许写入"},
      {separation::WriteFailure("/o/a.wav", EROFS).what(), "/o/a.wav 无法写入：磁盘是只读的"},
      {separation::WriteFailure("/o/a.wav", EIO).what(), "/o/a.wav 无法写入：磁盘报告了错误"},
      {separation::WriteFailure("/o/a.wav", 0).what(), "/o/a.wav 无法写入：写入失败"},
      {partial + "; the WAV result stays at /out/b.wav", "/out/歌 %1.wav 无法写入：磁盘已满；WAV 结果保留为 /out/b.wav"},
      {"the conversion to mp3 failed: /usr/bin/ffmpeg exited with status 1: Invalid data found",
       "转换为 mp3 失败：/usr/bin/ffmpeg 以状态 1 退出：Invalid data found"},
      {"soundstretch failed: /my tools/soundstretch was stopped by signal 9 (Killed)",
       "soundstretch 失败：/my tools/soundstretch 被信号 9（Killed）终止"},
      {"the conversion to flac could not be started: No such file or directory",
       "转换为 flac 无法启动：No such file or directory"},
      {"the conversion to ogg was cancelled", "转换为 ogg 已取消"},
      {"ffmpeg exited with status 183 without finishing the conversion: x.mp3: Invalid data",
       "ffmpeg 以状态 183 退出，转换没有完成：x.mp3: Invalid data"},
      {"ffmpeg was stopped by signal 25 without finishing the conversion", "ffmpeg 被信号 25 终止，转换没有完成"},
      {"soundstretch was not found beside the program or on PATH", "程序所在的文件夹和 PATH 中都找不到 soundstretch"},
      {"the file /in/\n-x.mp3 no longer exists or is not a file", "文件 /in/\n-x.mp3 已不存在或不是文件"},
      {"the output folder /ro cannot be written", "输出文件夹 /ro 无法写入"},
      {"the temporary folder /t cannot be written", "临时文件夹 /t 无法写入"},
      {"'wma' is not an output format", "“wma”不是输出格式"},
      {"Unable to open /x.wav (Returned: 2)", "Unable to open /x.wav (Returned: 2)"},  // no known shape
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cause);
    // English is the jobs' own text, rebuilt word for word from the translation.
    EXPECT_EQ(ui::CauseText(c.cause).toStdString(), Shown(c.chinese, c.cause.c_str()).toStdString());
  }
}

}  // namespace
}  // namespace ui_test
