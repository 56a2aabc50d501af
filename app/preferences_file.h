#pragma once
// The choices of the 設定 dialog that the 24-byte setup.ini has no room
// for, in preferences.ini of the data folder: "name=value" lines, so that an
// older or newer program reads what it knows and leaves the rest. Lyrics and
// the title band stay in setup.ini, where they always were.
//
// Thread-safety: any thread; the main window calls it on the GUI thread.

#include <cstdint>
#include <string>
#include <string_view>

namespace kumoito {

inline constexpr const char* kPreferencesFileName = "preferences.ini";

enum class LanguageChoice : std::int32_t {
  kSystem = 0,  // Japanese unless the locale names another language
  kJapanese = 1,
  kEnglish = 2,
};

inline constexpr std::int32_t kMinVolume = 10;
inline constexpr std::int32_t kMaxVolume = 200;
inline constexpr std::int32_t kMaxCountInLevel = 100;
// Longer names are refused rather than cut: a cut path names another file.
inline constexpr std::size_t kMaxSoundFontPath = 1024;
// The MIDI keyboard's port: "first" (the first that is there or appears),
// "off", or a port's name as the sequencer gives it.
inline constexpr const char* kMidiInputFirst = "first";
inline constexpr std::size_t kMaxMidiInputName = 256;

struct Preferences {
  // The window's rows and the PDF and SVG pages.
  bool measureNumbers = true;
  // The BMP, PNG and JPEG page, which keeps its picture unless asked.
  bool imageMeasureNumbers = false;
  // Technique marks above the number (ˆ v ウ) rather than as katakana under
  // the note-value bars, for songs that do not carry a style of their own.
  bool techniquesAbove = false;
  // The row of 口三味線 syllables in the window and its BMP, PNG, JPEG and
  // SVG pages, and (on unless turned off: a learner's print) in the PDF.
  bool kuchijamisen = false;
  bool printKuchijamisen = true;
  LanguageChoice language = LanguageChoice::kSystem;
  std::string soundFont;            // empty: the system's General MIDI font
  std::int32_t volume = 100;        // percent of the synthesizer's usual gain
  std::int32_t countInLevel = 100;  // percent of the usual click; 0 counts in silently
  std::string midiInput = kMidiInputFirst;

  bool operator==(const Preferences&) const = default;
};

// A missing or unreadable file gives the defaults; values out of range are
// brought inside; a sound font name that could not be a usable path is
// dropped.
Preferences ParsePreferences(std::string_view text);
std::string FormatPreferences(const Preferences& preferences);
Preferences LoadPreferences(const std::string& path);
// False (with the file helpers' report) when it could not be written.
bool SavePreferences(const std::string& path, const Preferences& preferences);
Preferences ValidPreferences(Preferences preferences);

}  // namespace kumoito
