#include "import/file_import.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/file_util.h"
#include "common/ui_text.h"

#include "audio/sound_file.h"
#include "import/midi_import.h"
#include "import/musicxml_reader.h"
#include "import/mxl_archive.h"
#include "import/recording_import.h"
#include "import/song_writer.h"

namespace kumoito::import {
namespace {

// The markup is looked for in the first 64 KiB of text (64 Ki characters
// of UTF-16).
constexpr std::size_t kSniffBytes = 2u << 16;

bool EndsWith(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) {
    return false;
  }
  for (std::size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
    if (c != end[i]) {
      return false;
    }
  }
  return true;
}

template <typename Result>
void TakeMelody(Result& read, ImportOutcome& outcome) {
  outcome.parts = std::move(read.parts);
  outcome.chosenPart = read.chosenPart;
  if (read.error) {
    outcome.error = read.error;
    return;
  }
  WrittenSong written = WriteSong(*read.melody);
  outcome.song = std::move(written.song);
  if constexpr (requires { read.candidates; }) {
    outcome.candidates = read.candidates;
  }
  if constexpr (requires { read.notices; }) {
    outcome.notices = std::move(read.notices);
  }
  outcome.notices.insert(outcome.notices.end(), written.notices.begin(), written.notices.end());
}

}  // namespace

std::string FormatImportError(const std::string& path, const ImportError& error) {
  if (error.line > 0) {
    return path + ":" + std::to_string(error.line) + ":" + std::to_string(error.column) + ": " +
           error.message;
  }
  return path + ": " + error.message;
}

namespace {

// The first 64 KiB of a text whose byte-order mark says UTF-16, with each
// character outside ASCII as '?': enough to see the markup by. Empty for
// anything else.
std::string NarrowUtf16Head(const unsigned char* data, std::size_t size) {
  if (size < 2 || !((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
    return {};
  }
  const bool little = data[0] == 0xFF;
  std::string narrow;
  const std::size_t end = std::min<std::size_t>(size, kSniffBytes) & ~std::size_t{1};
  for (std::size_t i = 2; i < end; i += 2) {
    const unsigned unit = little ? data[i] | (data[i + 1] << 8) : (data[i] << 8) | data[i + 1];
    narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return narrow;
}

bool LooksLikeMusicXml(std::string_view text, std::string_view path) {
  std::size_t start = 0;
  if (text.starts_with("\xEF\xBB\xBF")) {
    start = 3;
  }
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' ||
                                 text[start] == '\n')) {
    ++start;
  }
  if (start >= text.size() || text[start] != '<') {
    return false;
  }
  const std::string_view head = text.substr(0, std::min<std::size_t>(text.size(), kSniffBytes / 2));
  return head.find("<score-partwise") != std::string_view::npos ||
         head.find("<score-timewise") != std::string_view::npos ||
         head.substr(start).starts_with("<?xml") || EndsWith(path, ".xml") ||
         EndsWith(path, ".musicxml");
}

}  // namespace

FileKind SniffFileKind(const unsigned char* data, std::size_t size, std::string_view path) {
  if (size >= 4 && data[0] == 'P' && data[1] == 'K' &&
      ((data[2] == 3 && data[3] == 4) || (data[2] == 5 && data[3] == 6))) {
    return FileKind::kCompressedMusicXml;
  }
  if (size >= 4 && std::memcmp(data, "MThd", 4) == 0) {
    return FileKind::kMidi;
  }
  if (audio::LooksLikeSound(data, size)) {
    return FileKind::kRecording;
  }
  const std::string utf16 = NarrowUtf16Head(data, size);
  const std::string_view text =
      utf16.empty() ? std::string_view(reinterpret_cast<const char*>(data), size) : utf16;
  if (LooksLikeMusicXml(text, path)) {
    return FileKind::kMusicXml;
  }
  if (EndsWith(path, ".musicxml") || EndsWith(path, ".xml")) {
    return FileKind::kMusicXml;
  }
  if (EndsWith(path, ".mxl")) {
    return FileKind::kCompressedMusicXml;
  }
  if (EndsWith(path, ".mid") || EndsWith(path, ".midi") || EndsWith(path, ".kar")) {
    return FileKind::kMidi;
  }
  if (EndsWith(path, ".wav") || EndsWith(path, ".flac") || EndsWith(path, ".ogg") ||
      EndsWith(path, ".oga")) {
    return FileKind::kRecording;
  }
  return FileKind::kScore;
}

FileKind SniffFile(const std::string& path) {
  // As much as SniffFileKind looks at, so that the file is taken for what
  // the import will take it for.
  std::vector<unsigned char> head(kSniffBytes);
  std::error_code why;
  const std::optional<std::size_t> got = ReadFileAt(path, 0, head.data(), head.size(), why);
  if (!got || *got == 0) {
    return FileKind::kScore;  // unreadable or empty: the score reader says why
  }
  return SniffFileKind(head.data(), *got, path);
}

ImportOutcome ImportBytes(const unsigned char* data, std::size_t size, FileKind kind, int part) {
  ImportOutcome outcome;
  switch (kind) {
    case FileKind::kMusicXml: {
      MusicXmlResult read =
          ReadMusicXml(std::string_view(reinterpret_cast<const char*>(data), size), part);
      TakeMelody(read, outcome);
      break;
    }
    case FileKind::kCompressedMusicXml: {
      MxlResult archive = ReadMxlArchive(data, size);
      if (archive.error) {
        outcome.error = archive.error;
        break;
      }
      MusicXmlResult read = ReadMusicXml(archive.text, part);
      if (read.error) {
        // Lines and columns count in the root file, which the message names.
        read.error->message = archive.rootPath + ": " + read.error->message;
      }
      TakeMelody(read, outcome);
      break;
    }
    case FileKind::kMidi: {
      MidiImportResult read = ReadMidiMelody(data, size, part);
      TakeMelody(read, outcome);
      break;
    }
    case FileKind::kRecording: {
      RecordingImportResult read = ReadRecordingMelody(data, size);
      TakeMelody(read, outcome);
      break;
    }
    case FileKind::kScore:
      outcome.error = ImportError{Ui::Tr("MusicXML や MIDI のファイルではありません。")};
      break;
  }
  return outcome;
}

std::optional<std::string> ReadImportFile(const std::string& path, ImportError& error) {
  std::error_code why;
  const bool recording = SniffFile(path) == FileKind::kRecording;
  std::optional<std::string> bytes =
      ReadWholeFile(path, recording ? kMaxRecordingFileBytes : kMaxImportFileBytes, why);
  if (!bytes) {
    if (why != std::errc::file_too_large) {
      error = ImportError{Ui::Format(Ui::Tr("ファイルを開けません: %1"), {why.message()})};
    } else {
      error = ImportError{recording ? Ui::Tr("録音のファイルが 256 MiB を超えています。")
                                    : Ui::Tr("ファイルが 32 MiB を超えています。")};
    }
  }
  return bytes;
}

ImportOutcome ImportFileBytes(std::string_view bytes, const std::string& path, int part) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const FileKind kind = SniffFileKind(data, bytes.size(), path);
  ImportOutcome outcome = ImportBytes(data, bytes.size(), kind, part);
  outcome.kind = kind;
  if (outcome.song) {
    outcome.song->m_filePath = path;
    outcome.song->m_readFromFile = true;
  }
  return outcome;
}

ImportOutcome ImportFile(const std::string& path, int part) {
  ImportError error;
  const std::optional<std::string> bytes = ReadImportFile(path, error);
  if (!bytes) {
    ImportOutcome outcome;
    outcome.error = std::move(error);
    return outcome;
  }
  return ImportFileBytes(*bytes, path, part);
}

}  // namespace kumoito::import
