#include "ui/framework/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <vector>

#include "shell/program_dir.h"

namespace ui {
namespace {

// The texts of the jobs and the online services, which know no Qt, listed here for lupdate.
// They are looked up by their Chinese text in the context "Messages".
[[maybe_unused]] const char* const kMessages[] = {
    QT_TRANSLATE_NOOP("Messages", "已经有任务在处理中!"),
    QT_TRANSLATE_NOOP("Messages", "升级失败"),
    QT_TRANSLATE_NOOP("Messages", "反馈内容不能为空!"),
    QT_TRANSLATE_NOOP("Messages", "联系方式不能为空!"),
    QT_TRANSLATE_NOOP("Messages", "网络错误!"),
    QT_TRANSLATE_NOOP("Messages", "未知错误"),
    QT_TRANSLATE_NOOP("Messages", "反馈信息已提交!"),
    QT_TRANSLATE_NOOP("Messages", "发现新版本啦!"),
    QT_TRANSLATE_NOOP("Messages", "没有发现新版本!"),
};

shell::UiLanguage g_language = shell::UiLanguage::kChinese;

// The translators live as long as the application that uses them.
std::vector<std::unique_ptr<QTranslator>>& Translators() {
  static std::vector<std::unique_ptr<QTranslator>> translators;
  return translators;
}

void RemoveTranslators(QCoreApplication& app) {
  for (const auto& translator : Translators()) app.removeTranslator(translator.get());
  Translators().clear();
}

bool Load(QCoreApplication& app, const QString& name, const QString& dir) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(name, dir)) return false;
  app.installTranslator(translator.get());
  Translators().push_back(std::move(translator));
  return true;
}

}  // namespace

QString TranslationsDir() { return QString::fromStdString(shell::DataDir()) + "translations"; }

bool InstallTranslation(QCoreApplication& app, shell::UiLanguage language) {
  RemoveTranslators(app);
  const QString qt_dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (language == shell::UiLanguage::kChinese) {
    g_language = language;
    // Qt's own texts (file dialog buttons) in Chinese, when qt6-translations-l10n is there.
    Load(app, "qtbase_zh_CN", qt_dir);
    return true;
  }
  if (!Load(app, "vantu_en", TranslationsDir())) {
    g_language = shell::UiLanguage::kChinese;
    return false;
  }
  g_language = language;
  return true;
}

shell::UiLanguage InstalledLanguage() { return g_language; }

QString ShownText(const std::string& text) { return QCoreApplication::translate("Messages", text.c_str()); }

}  // namespace ui
