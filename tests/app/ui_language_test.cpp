#include "app/ui_language.h"

#include <gtest/gtest.h>

#include <map>

namespace kumoito {
namespace {

EnvironmentLookup Environment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) {
      return std::nullopt;
    }
    return found->second;
  };
}

TEST(UiLanguage, LocaleNamesGiveTheirLanguage) {
  struct Case {
    const char* locale;
    std::optional<UiLanguage> language;
  };
  const Case cases[] = {
      {"en_GB.UTF-8", UiLanguage::kEnglish},  {"en", UiLanguage::kEnglish},
      {"en_US@euro", UiLanguage::kEnglish},   {"de_DE.UTF-8", UiLanguage::kEnglish},
      {"ja_JP.UTF-8", UiLanguage::kJapanese}, {"ja", UiLanguage::kJapanese},
      {"C", UiLanguage::kJapanese},           {"C.UTF-8", UiLanguage::kJapanese},
      {"POSIX", UiLanguage::kJapanese},       {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageOfLocale(c.locale), c.language) << c.locale;
  }
}

TEST(UiLanguage, TheSystemIsAskedInTheOrderTheCLibraryReadsMessages) {
  struct Case {
    std::map<std::string, std::string> environment;
    UiLanguage language;
  };
  const Case cases[] = {
      {{}, UiLanguage::kJapanese},
      {{{"LANG", "C.UTF-8"}}, UiLanguage::kJapanese},
      {{{"LANG", "en_US.UTF-8"}}, UiLanguage::kEnglish},
      {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, UiLanguage::kJapanese},
      {{{"LC_MESSAGES", "ja_JP.UTF-8"}, {"LC_ALL", "en_GB.UTF-8"}}, UiLanguage::kEnglish},
      {{{"LC_ALL", "ja_JP.UTF-8"}, {"LANGUAGE", "en_GB:ja"}}, UiLanguage::kEnglish},
      {{{"LC_ALL", "en_GB.UTF-8"}, {"LANGUAGE", "ja:en"}}, UiLanguage::kJapanese},
      // Empty values say nothing; the next variable decides.
      {{{"LANGUAGE", ""}, {"LC_ALL", ""}, {"LANG", "en_US.UTF-8"}}, UiLanguage::kEnglish},
      {{{"LANGUAGE", ":en"}, {"LANG", "ja_JP.UTF-8"}}, UiLanguage::kJapanese},
  };
  for (const Case& c : cases) {
    std::string described;
    for (const auto& [name, value] : c.environment) {
      described += name + "=" + value + " ";
    }
    EXPECT_EQ(SystemLanguage(Environment(c.environment)), c.language) << described;
  }
}

TEST(UiLanguage, AChosenLanguageOverridesTheLocale) {
  const EnvironmentLookup english = Environment({{"LANG", "en_US.UTF-8"}});
  const EnvironmentLookup fresh = Environment({{"LANG", "C.UTF-8"}});
  EXPECT_EQ(ChooseUiLanguage(LanguageChoice::kJapanese, english), UiLanguage::kJapanese);
  EXPECT_EQ(ChooseUiLanguage(LanguageChoice::kEnglish, fresh), UiLanguage::kEnglish);
  EXPECT_EQ(ChooseUiLanguage(LanguageChoice::kSystem, english), UiLanguage::kEnglish);
  EXPECT_EQ(ChooseUiLanguage(LanguageChoice::kSystem, fresh), UiLanguage::kJapanese);
  EXPECT_EQ(ChooseUiLanguage(static_cast<LanguageChoice>(7), fresh), UiLanguage::kJapanese);
}

}  // namespace
}  // namespace kumoito
