#pragma once
// The texts a user reads (captions, list items, messages, dialogs) are
// written in Japanese, the program's first language, and marked where they
// are written: Ui::Tr gives the text in the language of the window, Ui::Mark
// only marks a text kept in a table so that Ui::Translate can look it up
// where it is shown. The translation tools are told that both names work
// like Qt's tr(), so every marked text lands in one context, "Ui", of
// app/translations/kumoito_*.ts. The core never includes Qt: the window's
// face installs the lookup (app/qt/translations.h); without one (batch runs,
// core tests) every text stays Japanese. Report lines on standard output are
// never marked: scripts read them.
//
// Thread-safety: SetUiTranslator is called once, before any thread but the
// first runs; the lookups may then be called from any thread.

#include <initializer_list>
#include <string>
#include <string_view>

// Lets the translation tools see Ui as a class with tr() functions and
// name its context; it stands for nothing in the compiled code.
#define KUMOITO_DECLARE_TEXT_CONTEXT(context)

namespace kumoito {

// Gives the text for a marked Japanese text; japanese is never null.
using UiTranslator = std::string (*)(const char* japanese);

// Installs the lookup (nullptr: Japanese again); returns the previous one.
UiTranslator SetUiTranslator(UiTranslator translator);

struct Ui {
  KUMOITO_DECLARE_TEXT_CONTEXT(Ui)

  // A text marked where it is written, for a table to keep.
  static constexpr const char* Mark(const char* japanese) { return japanese; }
  // A marked text in the window's language.
  static std::string Tr(const char* japanese) { return Translate(japanese); }
  // A text Mark marked elsewhere; a text never marked comes back as it is.
  static std::string Translate(std::string_view japanese);
  // text with %1 .. %9 replaced by the arguments: word order differs
  // between languages, so numbers and names go into a translated whole.
  static std::string Format(std::string_view text, std::initializer_list<std::string_view> args);
};

}  // namespace kumoito
