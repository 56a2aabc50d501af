#pragma once
// Foreign files (MusicXML, compressed MusicXML, MIDI) as the main window
// opens them: read through the import library, with the user asked which
// part is the melody when a MusicXML score has several with notes or the
// melody rule had several MIDI tracks to choose among.
//
// Thread-safety: GUI thread (it may run the part question).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "import/melody.h"
#include "song/song_data.h"

namespace kumoito {

// True when the file's contents (or, failing them, its name) say it is
// MusicXML or MIDI rather than a score.
bool IsForeignScoreFile(const std::string& path);

// Which part to read of those listed, given the reader's own choice;
// nullopt when the user cancels.
using PartQuestion =
    std::function<std::optional<int>(const std::vector<import::PartSummary>& parts, int suggested)>;

struct ForeignSong {
  std::unique_ptr<CSongData> song;   // none on error or when cancelled
  std::vector<std::string> notices;  // UTF-8, for the user
  std::optional<std::string> error;  // "PATH:LINE:COLUMN: message" or "PATH: message"
};
ForeignSong LoadForeignSong(const std::string& path, const PartQuestion& askPart);

}  // namespace kumoito
