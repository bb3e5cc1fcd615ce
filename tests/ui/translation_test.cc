// The windows speak the language of the locale: the source texts of the skins and the code under
// a Chinese locale, English without a Chinese character left under any other, and the English
// texts fit their controls.
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
#include <memory>

#include "tests/ui/ui_fixture.h"
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

}  // namespace
}  // namespace ui_test
