#include "app/window_texts.h"

#include "common/ui_text.h"
#include "song/key_table.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

constexpr std::string_view kProgramName = "Kumoito";
// A file name longer than this (in bytes) would near the 255 most file
// systems allow once the suffix and a copy number are added.
constexpr std::size_t kMaxFileNameStem = 200;

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

// Control characters become spaces (a title field may hold a stray line
// break) and the spaces around the text go.
std::string CleanTitle(std::string_view title) {
  std::string text;
  for (const char c : title) {
    text += IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
  }
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string MainWindowCaption(std::string_view titleUtf8, bool unsaved) {
  const std::string title = CleanTitle(titleUtf8);
  std::string caption = unsaved ? "*" : "";
  if (!title.empty()) {
    caption += title + " - ";
  }
  caption += kProgramName;
  return caption;
}

int HonNumber(int pitchClass) {
  constexpr int kA = 9;
  return ((pitchClass - kA) % 12 + 12) % 12 + 1;
}

std::string FirstStringItemText(const FirstStringEntry& entry) {
  const int pitchClass = (kFirstStringBasePitch + ValidFirstStringValue(entry.value)) % 12;
  return Ui::Format(Ui::Tr("%1 (%2本)"), {entry.name, std::to_string(HonNumber(pitchClass))});
}

std::string KeyItemText(int majorKey, bool minorSong) {
  const KeyEntry& major = kKeyTable[ValidKeyIndex(majorKey)];
  std::string text(major.name);
  if (!minorSong) {
    return text;
  }
  // The relative minor shares the major key's signature.
  for (const KeyEntry& key : kKeyTable) {
    if (key.minor == 1 && key.accidentals == major.accidentals) {
      text += " (" + std::string(key.name) + ")";
      break;
    }
  }
  return text;
}

std::string SuggestedFileName(std::string_view titleUtf8, std::string_view suffix) {
  std::string stem;
  for (const char c : CleanTitle(titleUtf8)) {
    // A slash would name a folder; the rest trouble shells and other systems.
    stem += (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
             c == '>' || c == '|')
                ? '_'
                : c;
  }
  // A leading dot would hide the file.
  stem.erase(0, stem.find_first_not_of('.'));
  if (stem.size() > kMaxFileNameStem) {
    std::size_t cut = kMaxFileNameStem;
    // Cut before a UTF-8 continuation byte's sequence, never inside it.
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) {
      --cut;
    }
    stem.resize(cut);
  }
  if (stem.empty()) {
    return {};
  }
  return suffix.empty() ? stem : stem + "." + std::string(suffix);
}

}  // namespace kumoito
