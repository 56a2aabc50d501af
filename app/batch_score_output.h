#pragma once
// A batch conversion whose image path ends in ".mwd" writes the song itself,
// as the tablature shows it (its key and octave), as a score file: a melody
// read from a foreign file is converted once and opened later.
//
// Thread-safety: GUI thread, on the window's song.

#include <string>
#include <string_view>

namespace kumoito {

class CSongData;

bool IsScoreOutputPath(std::string_view path);
// False when the file could not be written (the file layer has said why).
bool WriteBatchScore(CSongData& song, const std::string& path);

}  // namespace kumoito
