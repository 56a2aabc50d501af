#pragma once
// Foreign files to songs: tells MusicXML, compressed MusicXML, MIDI and
// recordings (WAV, FLAC, Ogg) apart by their contents (the extension only where the contents say
// nothing), reads the melody with the reader of the format and writes it
// onto a new song.
//
// Thread-safety: pure functions apart from the song they return.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/import_error.h"
#include "import/melody.h"
#include "song/song_data.h"

namespace kumoito::import {

enum class FileKind { kScore, kMusicXml, kCompressedMusicXml, kMidi, kRecording };

// The kind of a file from its first bytes and, failing those, its name.
// Anything unknown is left to the score reader.
FileKind SniffFileKind(const unsigned char* data, std::size_t size, std::string_view path);
// The same for a file on disk; kScore when it cannot be read.
FileKind SniffFile(const std::string& path);

// Plain MusicXML files are held to the size an archive entry may inflate to.
// Recordings have a limit of their own (kMaxRecordingFileBytes).
inline constexpr std::size_t kMaxImportFileBytes = 32u << 20;

struct ImportOutcome {
  FileKind kind = FileKind::kScore;  // what the file was taken for
  std::unique_ptr<CSongData> song;   // set exactly when there is no error
  std::vector<PartSummary> parts;    // the parts or tracks the file has
  int chosenPart = -1;
  // MIDI: how many tracks the melody rule chose among (more than one: the
  // choice is a guess).
  int candidates = 0;
  std::vector<std::string> notices;  // what the user should know (UTF-8)
  std::optional<ImportError> error;
};

// part: index into the file's parts; -1 lets the reader choose.
ImportOutcome ImportBytes(const unsigned char* data, std::size_t size, FileKind kind,
                          int part = -1);
// The bytes of the file at path, read once through the safe reader; nullopt
// with the cause in error for anything but a regular file within the limit.
std::optional<std::string> ReadImportFile(const std::string& path, ImportError& error);
// Sniffs and imports bytes read from path; the song remembers path.
ImportOutcome ImportFileBytes(std::string_view bytes, const std::string& path, int part = -1);
ImportOutcome ImportFile(const std::string& path, int part = -1);

}  // namespace kumoito::import
