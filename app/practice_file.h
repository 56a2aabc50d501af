#pragma once
// The practice settings kept between runs (speed, loop and its measures,
// count-in) in practice.ini of the data folder, a file of their own beside
// the 24-byte setup.ini: a few "name=value" lines, so that an older or newer
// program reads what it knows and leaves the rest.
//
// Thread-safety: any thread; the main window calls it on the GUI thread.

#include <string>
#include <string_view>

#include "midi/playback_controller.h"

namespace kumoito {

inline constexpr const char* kPracticeFileName = "practice.ini";

// A missing or unreadable file gives the defaults; values out of range are
// brought inside (the speed to its nearest step).
midi::PracticeSettings LoadPracticeSettings(const std::string& path);
midi::PracticeSettings ParsePracticeSettings(std::string_view text);
std::string FormatPracticeSettings(const midi::PracticeSettings& practice);
// False (with the file helpers' report) when it could not be written.
bool SavePracticeSettings(const std::string& path, const midi::PracticeSettings& practice);
// The settings made valid: speed on a step inside its range, measures from 1.
midi::PracticeSettings ValidPracticeSettings(midi::PracticeSettings practice);

}  // namespace kumoito
