#pragma once
// Which language the window speaks: the 設定 choice, or for "follow the
// system" the locale the desktop gives. A fresh machine runs in C.UTF-8 and
// gets Japanese, the program's first language.
//
// Thread-safety: functions of their arguments (and WindowLanguage of the
// file it reads); any thread.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/preferences_file.h"

namespace kumoito {

enum class UiLanguage { kJapanese, kEnglish };

// Reads one environment variable; nullopt when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The language a locale name ("en_GB.UTF-8", "ja_JP", "C") asks for;
// nullopt for an empty name, which leaves the choice to the next variable.
std::optional<UiLanguage> LanguageOfLocale(std::string_view locale);

// LANGUAGE first (its first entry), then LC_ALL, LC_MESSAGES and LANG, as
// the C library reads them for messages.
UiLanguage SystemLanguage(const EnvironmentLookup& environment);

UiLanguage ChooseUiLanguage(LanguageChoice choice, const EnvironmentLookup& environment);

// The language of a window started with the data folder's preferences.ini
// in this environment.
UiLanguage WindowLanguage(const std::string& dataFolder, const EnvironmentLookup& environment);

// The process's own environment.
std::optional<std::string> ProcessEnvironment(const char* name);

// "ja" or "en": the suffix of the translation and help files.
std::string_view LanguageCode(UiLanguage language);

}  // namespace kumoito
