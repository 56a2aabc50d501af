#include "app/ui_language.h"

#include <cstdlib>

#include "common/file_util.h"

namespace kumoito {

std::optional<UiLanguage> LanguageOfLocale(std::string_view locale) {
  if (locale.empty()) {
    return std::nullopt;
  }
  // The language is what comes before the territory, code set or modifier.
  const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
  if (language == "C" || language == "POSIX" || language == "ja") {
    return UiLanguage::kJapanese;
  }
  // Any other language reads English better than Japanese.
  return UiLanguage::kEnglish;
}

UiLanguage SystemLanguage(const EnvironmentLookup& environment) {
  if (const std::optional<std::string> list = environment("LANGUAGE")) {
    // "en_GB:ja": the first entry is the one the user prefers.
    if (const auto language =
            LanguageOfLocale(std::string_view(*list).substr(0, list->find(':')))) {
      return *language;
    }
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const std::optional<std::string> value = environment(name)) {
      if (const auto language = LanguageOfLocale(*value)) {
        return *language;
      }
    }
  }
  return UiLanguage::kJapanese;
}

UiLanguage ChooseUiLanguage(LanguageChoice choice, const EnvironmentLookup& environment) {
  switch (choice) {
    case LanguageChoice::kJapanese:
      return UiLanguage::kJapanese;
    case LanguageChoice::kEnglish:
      return UiLanguage::kEnglish;
    case LanguageChoice::kSystem:
      break;
  }
  return SystemLanguage(environment);
}

UiLanguage WindowLanguage(const std::string& dataFolder, const EnvironmentLookup& environment) {
  const Preferences preferences = LoadPreferences(JoinPath(dataFolder, kPreferencesFileName));
  return ChooseUiLanguage(preferences.language, environment);
}

std::optional<std::string> ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) {
    return std::nullopt;
  }
  return std::string(value);
}

std::string_view LanguageCode(UiLanguage language) {
  return language == UiLanguage::kEnglish ? "en" : "ja";
}

}  // namespace kumoito
