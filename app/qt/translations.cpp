#include "app/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "common/ui_text.h"

namespace kumoito {
namespace {

// The context the translation tools give every text marked with Ui.
constexpr const char* kUiContext = "Ui";

// Ours, while installed; the application owns it.
QTranslator* g_uiTranslator = nullptr;

std::string TranslateUiText(const char* japanese) {
  return QCoreApplication::translate(kUiContext, japanese).toStdString();
}

QTranslator* InstallTranslation(QCoreApplication& app, const QString& name, const QString& folder) {
  // A child of the application: it lives as long as the texts it gives.
  auto* translator = new QTranslator(&app);
  if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace

bool InstallQtJapanese(QCoreApplication& app) {
  return InstallTranslation(app, QStringLiteral("qtbase_ja"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)) != nullptr;
}

bool InstallUiLanguage(QCoreApplication& app, UiLanguage language, const std::string& folder) {
  if (language == UiLanguage::kJapanese) {
    return InstallQtJapanese(app);
  }
  // Qt's own texts are English already.
  const QString name =
      QStringLiteral("kumoito_") + QString::fromUtf8(LanguageCode(language).data());
  RemoveUiLanguage();
  g_uiTranslator = InstallTranslation(app, name, QString::fromStdString(folder));
  if (g_uiTranslator == nullptr) {
    return false;
  }
  SetUiTranslator(TranslateUiText);
  return true;
}

void RemoveUiLanguage() {
  SetUiTranslator(nullptr);
  if (g_uiTranslator != nullptr) {
    QCoreApplication::removeTranslator(g_uiTranslator);
    delete g_uiTranslator;
    g_uiTranslator = nullptr;
  }
}

}  // namespace kumoito
