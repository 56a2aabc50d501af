#include "app/preferences_file.h"

#include <algorithm>
#include <optional>

#include "common/file_util.h"
#include "common/settings_lines.h"

namespace kumoito {
namespace {

constexpr std::size_t kMaxFileBytes = 8192;

// A line break would end the value in the file and start a line of its
// own; other control bytes are no part of a name a user picked.
bool UsableFontPath(std::string_view path) {
  if (path.size() > kMaxSoundFontPath || (!path.empty() && path.front() != '/')) {
    return false;
  }
  return std::none_of(path.begin(), path.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

// A name the sequencer could give: one line of printable bytes.
bool UsableMidiInputName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxMidiInputName &&
         std::none_of(name.begin(), name.end(), [](char c) {
           const auto u = static_cast<unsigned char>(c);
           return u < 0x20 || u == 0x7F;
         });
}

const char* LanguageWord(LanguageChoice language) {
  switch (language) {
    case LanguageChoice::kJapanese:
      return "ja";
    case LanguageChoice::kEnglish:
      return "en";
    default:
      return "system";
  }
}

}  // namespace

Preferences ValidPreferences(Preferences p) {
  p.volume = std::clamp(p.volume, kMinVolume, kMaxVolume);
  p.countInLevel = std::clamp(p.countInLevel, 0, kMaxCountInLevel);
  if (!UsableFontPath(p.soundFont)) {
    p.soundFont.clear();
  }
  if (!UsableMidiInputName(p.midiInput)) {
    p.midiInput = kMidiInputFirst;
  }
  if (p.language != LanguageChoice::kJapanese && p.language != LanguageChoice::kEnglish) {
    p.language = LanguageChoice::kSystem;
  }
  return p;
}

Preferences ParsePreferences(std::string_view text) {
  Preferences p;
  ForEachSettingLine(text, [&p](std::string_view name, std::string_view value) {
    std::int32_t v = 0;
    if (name == "sound_font") {
      p.soundFont = std::string(value);
    } else if (name == "language") {
      if (value == "ja") {
        p.language = LanguageChoice::kJapanese;
      } else if (value == "en") {
        p.language = LanguageChoice::kEnglish;
      } else if (value == "system") {
        p.language = LanguageChoice::kSystem;
      }
    } else if (name == "midi_input") {
      p.midiInput = std::string(value);
    } else if (name == "technique_style") {
      if (value == "above") {
        p.techniquesAbove = true;
      } else if (value == "below") {
        p.techniquesAbove = false;
      }
    } else if (!ReadSettingNumber(value, v)) {
      return;
    } else if (name == "measure_numbers") {
      p.measureNumbers = v != 0;
    } else if (name == "image_measure_numbers") {
      p.imageMeasureNumbers = v != 0;
    } else if (name == "kuchijamisen") {
      p.kuchijamisen = v != 0;
    } else if (name == "print_kuchijamisen") {
      p.printKuchijamisen = v != 0;
    } else if (name == "volume") {
      p.volume = v;
    } else if (name == "count_in_level") {
      p.countInLevel = v;
    }
  });
  return ValidPreferences(p);
}

std::string FormatPreferences(const Preferences& preferences) {
  const Preferences p = ValidPreferences(preferences);
  return std::string("measure_numbers=") + (p.measureNumbers ? "1" : "0") +
         "\nimage_measure_numbers=" + (p.imageMeasureNumbers ? "1" : "0") +
         "\ntechnique_style=" + (p.techniquesAbove ? "above" : "below") +
         "\nkuchijamisen=" + (p.kuchijamisen ? "1" : "0") +
         "\nprint_kuchijamisen=" + (p.printKuchijamisen ? "1" : "0") +
         "\nlanguage=" + LanguageWord(p.language) + "\nsound_font=" + p.soundFont +
         "\nvolume=" + std::to_string(p.volume) +
         "\ncount_in_level=" + std::to_string(p.countInLevel) + "\nmidi_input=" + p.midiInput +
         "\n";
}

Preferences LoadPreferences(const std::string& path) {
  std::optional<std::string> text = ReadSettingsFile(path, kMaxFileBytes);
  if (!text) {
    return {};
  }
  // A file that fills the buffer may have been cut inside its last line: a
  // cut font path would name some other file.
  if (text->size() >= kMaxFileBytes) {
    text->resize(text->rfind('\n') == std::string::npos ? 0 : text->rfind('\n') + 1);
  }
  return ParsePreferences(*text);
}

bool SavePreferences(const std::string& path, const Preferences& preferences) {
  const std::string text = FormatPreferences(preferences);
  return WriteFileBytes(path, text.data(), text.size());
}

}  // namespace kumoito
