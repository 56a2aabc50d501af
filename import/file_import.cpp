#include "import/file_import.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "import/midi_import.h"
#include "import/musicxml_reader.h"
#include "import/mxl_archive.h"
#include "import/song_writer.h"

namespace kumoito::import {
namespace {

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
  outcome.notices = std::move(written.notices);
}

}  // namespace

std::string FormatImportError(const std::string& path, const ImportError& error) {
  if (error.line > 0) {
    return path + ":" + std::to_string(error.line) + ":" + std::to_string(error.column) + ": " +
           error.message;
  }
  return path + ": " + error.message;
}

FileKind SniffFileKind(const unsigned char* data, std::size_t size, std::string_view path) {
  if (size >= 4 && data[0] == 'P' && data[1] == 'K' &&
      ((data[2] == 3 && data[3] == 4) || (data[2] == 5 && data[3] == 6))) {
    return FileKind::kCompressedMusicXml;
  }
  if (size >= 4 && std::memcmp(data, "MThd", 4) == 0) {
    return FileKind::kMidi;
  }
  std::size_t start = 0;
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    start = 3;
  }
  while (start < size && (data[start] == ' ' || data[start] == '\t' || data[start] == '\r' ||
                          data[start] == '\n')) {
    ++start;
  }
  if (start < size && data[start] == '<') {
    const std::string_view head(reinterpret_cast<const char*>(data),
                                std::min<std::size_t>(size, 1u << 16));
    if (head.find("<score-partwise") != std::string_view::npos ||
        head.find("<score-timewise") != std::string_view::npos ||
        head.substr(start).starts_with("<?xml") || EndsWith(path, ".xml") ||
        EndsWith(path, ".musicxml")) {
      return FileKind::kMusicXml;
    }
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
  return FileKind::kScore;
}

FileKind SniffFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[4096];
  in.read(reinterpret_cast<char*>(head), sizeof head);
  const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
  if (got == 0) {
    return FileKind::kScore;  // unreadable or empty: the score reader says why
  }
  return SniffFileKind(head, got, path);
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
    case FileKind::kScore:
      outcome.error = ImportError{"MusicXML や MIDI のファイルではありません。"};
      break;
  }
  return outcome;
}

ImportOutcome ImportFile(const std::string& path, int part) {
  ImportOutcome outcome;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    outcome.error = ImportError{std::string("ファイルを開けません: ") + std::strerror(errno)};
    return outcome;
  }
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (bytes.size() > kMaxImportFileBytes) {
      std::fclose(file);
      outcome.error = ImportError{"ファイルが 32 MiB を超えています。"};
      return outcome;
    }
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    outcome.error = ImportError{"ファイルを読めません。"};
    return outcome;
  }
  outcome = ImportBytes(bytes.data(), bytes.size(), SniffFileKind(bytes.data(), bytes.size(), path),
                        part);
  if (outcome.song) {
    outcome.song->m_filePath = path;
    outcome.song->m_readFromFile = true;
  }
  return outcome;
}

}  // namespace kumoito::import
