#include "shell/ui_language.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

namespace shell {
namespace {

// The language of one locale name such as "zh_CN.UTF-8" or "en"; none for other languages.
std::optional<UiLanguage> LanguageOf(const std::string& locale) {
  const std::string language = locale.substr(0, locale.find_first_of("_.@-"));
  if (language == "zh") return UiLanguage::kChinese;
  if (language == "en") return UiLanguage::kEnglish;
  return std::nullopt;
}

}  // namespace

UiLanguage ChooseUiLanguage(const EnvLookup& getenv) {
  if (const char* list = getenv("LANGUAGE")) {
    const std::string preferences = list;
    size_t start = 0;
    while (start <= preferences.size()) {
      const size_t end = std::min(preferences.find(':', start), preferences.size());
      if (const auto language = LanguageOf(preferences.substr(start, end - start))) return *language;
      start = end + 1;
    }
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(name);
    if (value == nullptr || *value == '\0') continue;
    return LanguageOf(value).value_or(UiLanguage::kEnglish);
  }
  return UiLanguage::kEnglish;
}

UiLanguage ChooseUiLanguage() {
  return ChooseUiLanguage([](const char* name) { return std::getenv(name); });
}

}  // namespace shell
