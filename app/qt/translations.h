#pragma once
// The window's language: our own texts from kumoito_<code>.qm (built from
// app/translations/*.ts) and Qt's own (file dialogs, standard buttons,
// "... already exists") in the same language. Japanese is the language the
// texts are written in, so it needs only Qt's translation.
//
// Thread-safety: GUI thread, before the first window; the texts installed
// may then be looked up from any thread.

#include <string>

#include "app/ui_language.h"

class QCoreApplication;

namespace kumoito {

// The folder of the translations below a start-up folder.
inline constexpr const char* kTranslationsFolder = "translations";

// Installs Qt's Japanese translations on app; false (and Qt's English) when
// they are not installed (Debian: qt6-translations-l10n).
bool InstallQtJapanese(QCoreApplication& app);

// Installs the translations language needs, looking for ours in folder, and
// sends the core's marked texts through them. False when a translation
// language needs is missing; the texts it would give stay Japanese (ours)
// or English (Qt's).
bool InstallUiLanguage(QCoreApplication& app, UiLanguage language, const std::string& folder);

// Takes the core's texts back to Japanese; before app goes.
void RemoveUiLanguage();

}  // namespace kumoito
