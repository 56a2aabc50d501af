#pragma once
// Qt's own texts (file dialogs, standard buttons, "... already exists")
// in Japanese, whatever the user's locale: the program's interface is
// Japanese, and a fresh machine often runs in C.UTF-8.

class QCoreApplication;

namespace kumoito {

// Installs Qt's Japanese translations on app; false (and Qt's English) when
// they are not installed (Debian: qt6-translations-l10n).
bool InstallQtJapanese(QCoreApplication& app);

}  // namespace kumoito
