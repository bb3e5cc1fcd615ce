#include "shell/ui_language.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace shell {
namespace {

TEST(ChooseUiLanguageTest, FollowsLanguageThenLcAllLcMessagesLang) {
  using Env = std::map<std::string, std::string>;
  constexpr UiLanguage zh = UiLanguage::kChinese;
  constexpr UiLanguage en = UiLanguage::kEnglish;
  struct Case {
    Env env;
    UiLanguage expected;
  } const cases[] = {
      {{}, en},
      {{{"LANG", "zh_CN.UTF-8"}}, zh},
      {{{"LANG", "zh_TW.UTF-8"}}, zh},
      {{{"LANG", "zh"}}, zh},
      {{{"LANG", "zh_CN.GB18030@stroke"}}, zh},
      {{{"LANG", "en_US.UTF-8"}}, en},
      {{{"LANG", "de_DE.UTF-8"}}, en},
      {{{"LANG", "C"}}, en},
      {{{"LANG", "C.UTF-8"}}, en},
      {{{"LANG", "POSIX"}}, en},
      {{{"LANG", "zhx_XX"}}, en},
      // The more specific variable wins over LANG, LC_ALL over all.
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_CN.UTF-8"}}, zh},
      {{{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, en},
      {{{"LC_MESSAGES", "zh_CN.UTF-8"}, {"LC_ALL", "C"}}, en},
      {{{"LANG", "en_US.UTF-8"}, {"LC_ALL", "zh_CN.UTF-8"}}, zh},
      // Empty values are unset.
      {{{"LANG", "zh_CN.UTF-8"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANGUAGE", ""}}, zh},
      // LANGUAGE comes first; languages without texts are skipped.
      {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "en_US:en"}}, en},
      {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_CN"}}, zh},
      {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "fr:de:zh_CN:en"}}, zh},
      {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "fr:de"}}, zh},
      {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "::"}}, zh},
  };
  for (const Case& c : cases) {
    const UiLanguage chosen = ChooseUiLanguage([&c](const char* name) -> const char* {
      const auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    });
    std::string described;
    for (const auto& [name, value] : c.env) described += name + "=" + value + " ";
    EXPECT_EQ(chosen, c.expected) << described;
  }
}

}  // namespace
}  // namespace shell
