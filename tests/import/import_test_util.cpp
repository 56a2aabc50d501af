#include "tests/import/import_test_util.h"

#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/sjis.h"
#include "song/chord_names.h"
#include "song/key_table.h"

namespace kumoito::test {
namespace {

constexpr int kDivisions = 4;  // sixteenths, the finest a source writes

struct Harmony {
  std::string root;
  int alter = 0;
  std::string kind;
};

Harmony HarmonyOf(const std::string& chord) {
  Harmony h;
  h.root = chord.substr(0, 1);
  std::size_t i = 1;
  if (i < chord.size() && (chord[i] == '#' || chord[i] == 'b')) {
    h.alter = chord[i] == '#' ? 1 : -1;
    ++i;
  }
  const std::string suffix = chord.substr(i);
  h.kind = "major-seventh";
  for (const ChordSuffix& row : kChordSuffixes) {
    if (row.suffix == suffix && !row.musicXmlKind.empty()) {
      h.kind = std::string(row.musicXmlKind);
      break;
    }
  }
  return h;
}

const char* kSteps[12] = {"C", "C", "D", "D", "E", "F", "F", "G", "G", "A", "A", "B"};
const int kAlters[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};

std::string TypeOf(int sixteenths, bool& dotted) {
  dotted = false;
  switch (sixteenths) {
    case 16:
      return "whole";
    case 12:
      dotted = true;
      return "half";
    case 8:
      return "half";
    case 6:
      dotted = true;
      return "quarter";
    case 4:
      return "quarter";
    case 3:
      dotted = true;
      return "eighth";
    case 2:
      return "eighth";
    default:
      return "16th";
  }
}

std::string Escape(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '<')
      out += "&lt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

}  // namespace

std::string ImportFixture(const std::string& name) {
  return std::string(KUMOITO_IMPORT_DATA_DIR) + "/" + name;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string SourceAsMusicXml(const SongSource& source, bool pickup) {
  const int measureLength = source.beatsPerMeasure * 4;
  int skip = 0;  // sixteenths of leading rest left out as a pick-up
  if (pickup && !source.events.empty() && source.events[0].pitch < 0 &&
      source.events[0].length < measureLength && source.events.size() > 1) {
    skip = source.events[0].length;
    // Only where the beats it leaves out name the chord its first note has.
    for (int b = 0; b * 4 <= skip && b < static_cast<int>(source.beatChords.size()); ++b) {
      if (source.beatChords[b].chord != source.beatChords[skip / 4].chord ||
          !source.beatChords[b].chordMid.empty()) {
        skip = 0;
      }
    }
    if (skip % 4 != 0) {
      skip = 0;
    }
  }
  const KeyEntry& key = kKeyTable[ValidKeyIndex(source.keyIndex)];
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<score-partwise version=\"4.0\">\n";
  x += "<work><work-title>" + Escape(Cp932ToUtf8Lenient(source.title)) + "</work-title></work>\n";
  x += "<identification><creator type=\"composer\">" + Escape(Cp932ToUtf8Lenient(source.composer)) +
       "</creator><creator type=\"lyricist\">" + Escape(Cp932ToUtf8Lenient(source.lyricist)) +
       "</creator></identification>\n";
  x += "<part-list><score-part id=\"P1\"><part-name>Melody</part-name></score-part></part-list>\n";
  x += "<part id=\"P1\">\n";

  // Every event cut at the bar lines, each piece a note or rest of its own.
  struct Piece {
    int start, length, pitch;
    bool tieStart, tieStop;
    std::string lyric;
  };
  std::vector<Piece> pieces;
  for (const SourceEvent& e : source.events) {
    int at = e.start;
    int left = e.length;
    bool first = true;
    while (left > 0) {
      const int barEnd = (at / measureLength + 1) * measureLength;
      int n = std::min(left, barEnd - at);
      // Values a note type can show: split the rest.
      for (int v : {16, 12, 8, 6, 4, 3, 2, 1}) {
        if (v <= n) {
          n = v;
          break;
        }
      }
      pieces.push_back({at, n, e.pitch, e.pitch >= 0 && n < left, e.pitch >= 0 && !first,
                        first ? Cp932ToUtf8Lenient(e.lyric) : std::string()});
      at += n;
      left -= n;
      first = false;
    }
  }
  const int measures = source.measureCount;
  std::string last;
  std::size_t p = 0;
  for (int m = 0; m < measures; ++m) {
    const int from = m * measureLength;
    const int to = from + measureLength;
    const bool implicit = m == 0 && skip > 0;
    x += "<measure number=\"" + std::to_string(implicit ? 0 : m + 1) + "\"" +
         (implicit ? " implicit=\"yes\"" : "") + ">\n";
    if (m == 0) {
      x += "<attributes><divisions>" + std::to_string(kDivisions) + "</divisions><key><fifths>" +
           std::to_string(key.accidentals) + "</fifths><mode>" + (key.minor ? "minor" : "major") +
           "</mode></key><time><beats>" + std::to_string(source.beatsPerMeasure) +
           "</beats><beat-type>4</beat-type></time></attributes>\n";
      x += "<direction><direction-type><metronome><beat-unit>quarter</beat-unit><per-minute>" +
           std::to_string(source.tempo) +
           "</per-minute></metronome></direction-type><sound tempo=\"" +
           std::to_string(source.tempo) + "\"/></direction>\n";
    }
    for (; p < pieces.size() && pieces[p].start < to; ++p) {
      const Piece& piece = pieces[p];
      if (implicit && piece.start < skip) {
        continue;
      }
      // Chord symbols of the beats and half beats this piece covers.
      for (int s = piece.start; s < piece.start + piece.length; ++s) {
        if (s % 2 != 0 || s / 4 >= static_cast<int>(source.beatChords.size())) {
          continue;
        }
        const SourceBeatChord& bc = source.beatChords[static_cast<std::size_t>(s / 4)];
        std::string chord;
        if (s % 4 == 0 && bc.chord != last) {
          chord = bc.chord;
        } else if (s % 4 == 2 && !bc.chordMid.empty() && bc.chordMid != last) {
          chord = bc.chordMid;
        }
        if (chord.empty()) {
          continue;
        }
        last = chord;
        const Harmony h = HarmonyOf(chord);
        x += "<harmony><root><root-step>" + h.root + "</root-step>" +
             (h.alter ? "<root-alter>" + std::to_string(h.alter) + "</root-alter>" : "") +
             "</root><kind>" + h.kind + "</kind>";
        if (s != piece.start) {
          x += "<offset>" + std::to_string((s - piece.start) * kDivisions / 4) + "</offset>";
        }
        x += "</harmony>\n";
      }
      bool dotted = false;
      const std::string type = TypeOf(piece.length, dotted);
      x += "<note>";
      if (piece.pitch < 0) {
        x += "<rest/>";
      } else {
        x += std::string("<pitch><step>") + kSteps[piece.pitch % 12] + "</step>" +
             (kAlters[piece.pitch % 12] ? "<alter>1</alter>" : "") + "<octave>" +
             std::to_string(piece.pitch / 12 - 1) + "</octave></pitch>";
      }
      x += "<duration>" + std::to_string(piece.length * kDivisions / 4) + "</duration>";
      if (piece.tieStop)
        x += "<tie type=\"stop\"/>";
      if (piece.tieStart)
        x += "<tie type=\"start\"/>";
      x += "<voice>1</voice><type>" + type + "</type>" + (dotted ? "<dot/>" : "");
      if (!piece.lyric.empty()) {
        x += "<lyric number=\"1\"><syllabic>single</syllabic><text>" + Escape(piece.lyric) +
             "</text></lyric>";
      }
      x += "</note>\n";
    }
    x += "</measure>\n";
  }
  x += "</part>\n</score-partwise>\n";
  return x;
}

std::vector<unsigned char> MakeZip(const std::vector<ZipEntry>& entries) {
  char path[] = "/tmp/kumoito-zip-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) {
    throw std::runtime_error("no temporary file");
  }
  ::close(fd);
  int error = 0;
  zip_t* archive = zip_open(path, ZIP_TRUNCATE, &error);
  if (archive == nullptr) {
    throw std::runtime_error("zip_open");
  }
  for (const ZipEntry& e : entries) {
    zip_source_t* source = zip_source_buffer(archive, e.bytes.data(), e.bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, e.name.c_str(), source, ZIP_FL_OVERWRITE);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             e.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
  }
  zip_close(archive);
  std::vector<unsigned char> bytes = ReadBytes(path);
  std::remove(path);
  return bytes;
}

std::string ContainerXml(const std::string& rootPath) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<container><rootfiles><rootfile "
         "full-path=\"" +
         rootPath +
         "\" media-type=\"application/vnd.recordare.musicxml+xml\"/></rootfiles></container>\n";
}

std::vector<unsigned char> MakeMidi(int format, int division,
                                    const std::vector<std::vector<unsigned char>>& tracks) {
  std::vector<unsigned char> b = {'M',
                                  'T',
                                  'h',
                                  'd',
                                  0,
                                  0,
                                  0,
                                  6,
                                  0,
                                  static_cast<unsigned char>(format),
                                  0,
                                  static_cast<unsigned char>(tracks.size()),
                                  static_cast<unsigned char>(division >> 8),
                                  static_cast<unsigned char>(division & 0xFF)};
  for (std::vector<unsigned char> body : tracks) {
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    const auto n = static_cast<std::uint32_t>(body.size());
    b.insert(b.end(), {'M', 'T', 'r', 'k', static_cast<unsigned char>(n >> 24),
                       static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 8),
                       static_cast<unsigned char>(n)});
    b.insert(b.end(), body.begin(), body.end());
  }
  return b;
}

std::string CellsText(const CSongData& song, int fromCell, int count) {
  std::string out;
  for (int c = fromCell; c < fromCell + count && c < kMaxCells; ++c) {
    out += "[";
    for (int s = 0; s < kSlotsPerCell; ++s) {
      const std::int32_t v = song.m_cells[static_cast<std::size_t>(c)].pitch[s];
      out += (s ? " " : "") + (v == SLOT_REST   ? std::string("r")
                               : v == SLOT_HOLD ? std::string("-")
                               : v == SLOT_NONE ? std::string(".")
                                                : std::to_string(v));
    }
    out += "]";
  }
  return out;
}

}  // namespace kumoito::test
