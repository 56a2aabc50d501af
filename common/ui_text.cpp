#include "common/ui_text.h"

#include <atomic>

namespace kumoito {
namespace {

std::atomic<UiTranslator> g_translator{nullptr};

}  // namespace

UiTranslator SetUiTranslator(UiTranslator translator) {
  return g_translator.exchange(translator);
}

std::string Ui::Translate(std::string_view japanese) {
  const UiTranslator translator = g_translator.load();
  if (translator == nullptr || japanese.empty()) {
    return std::string(japanese);
  }
  // The lookup wants a terminated text; a view of a table entry may not be.
  const std::string text(japanese);
  return translator(text.c_str());
}

std::string Ui::Format(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    const std::size_t index = static_cast<std::size_t>(next - '1');
    if (text[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
      result += *(args.begin() + index);
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

}  // namespace kumoito
