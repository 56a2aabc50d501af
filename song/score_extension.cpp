#include "song/score_extension.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "common/bytes.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

constexpr char kMagic[4] = {'K', 'M', 'E', 'X'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kChunkHeaderSize = 8;

constexpr std::uint32_t Tag(const char (&text)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])) << 24;
}

// TUNE: u8 tuning row, u8 first-string value, u8 key row.
constexpr std::uint32_t kTuneTag = Tag("TUNE");
// STYL: u8 TechniqueStyle.
constexpr std::uint32_t kStyleTag = Tag("STYL");
// NOTE: 8-byte records: u16 cell, u8 slot, u8 technique, u8 finger,
// u8 string, u8 and u8 together pitches (0xFF: none).
constexpr std::uint32_t kNoteTag = Tag("NOTE");
constexpr std::size_t kNoteRecordSize = 8;
// MEAS: 6-byte records: u16 measure, u8 flags, u8 repeat count, u8 ending, u8 0.
constexpr std::uint32_t kMeasureTag = Tag("MEAS");
constexpr std::size_t kMeasureRecordSize = 6;
// KUCH: the user's 口三味線 syllables, records of u16 cell, u8 slot, u8 n and
// n CP932 bytes (n <= 8; 0: the slot says nothing).
constexpr std::uint32_t kSyllableTag = Tag("KUCH");
constexpr std::size_t kSyllableRecordHeader = 4;

constexpr int kTuningRows = 3;
constexpr int kFirstStringValues = 12;
constexpr int kKeyRows = 12;

void PutU16(std::vector<unsigned char>& out, std::uint16_t v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}

void PutU32(std::vector<unsigned char>& out, std::uint32_t v) {
  PutU16(out, static_cast<std::uint16_t>(v));
  PutU16(out, static_cast<std::uint16_t>(v >> 16));
}

void PutChunk(std::vector<unsigned char>& out, std::uint32_t tag,
              const std::vector<unsigned char>& bytes) {
  PutU32(out, tag);
  PutU32(out, static_cast<std::uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

std::vector<unsigned char> NoteRecords(const CSongData& song) {
  std::vector<unsigned char> out;
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      const NoteMarks& m = song.m_marks.At(c, s);
      if (m.Empty()) {
        continue;
      }
      PutU16(out, static_cast<std::uint16_t>(c));
      out.push_back(static_cast<unsigned char>(s));
      out.push_back(static_cast<unsigned char>(m.technique));
      out.push_back(m.finger);
      out.push_back(m.string);
      out.push_back(m.together[0]);
      out.push_back(m.together[1]);
    }
  }
  return out;
}

std::vector<unsigned char> MeasureRecords(const CSongData& song) {
  std::vector<unsigned char> out;
  const int measures = song.BeatCount() > 0 ? song.m_measureCount : 0;
  for (int m = 0; m < measures && m < kMarkMeasureCount; ++m) {
    const MeasureMarks& marks = song.m_marks.measures[static_cast<std::size_t>(m)];
    if (marks.Empty()) {
      continue;
    }
    PutU16(out, static_cast<std::uint16_t>(m));
    out.push_back(marks.flags);
    out.push_back(marks.repeatCount);
    out.push_back(marks.ending);
    out.push_back(0);
  }
  return out;
}

std::vector<unsigned char> SyllableRecords(const CSongData& song) {
  std::vector<unsigned char> out;
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      const SyllableOverride& own = song.m_marks.SyllableAt(c, s);
      if (own.Empty()) {
        continue;
      }
      PutU16(out, static_cast<std::uint16_t>(c));
      out.push_back(static_cast<unsigned char>(s));
      out.push_back(own.length);
      out.insert(out.end(), own.text.begin(), own.text.begin() + own.length);
    }
  }
  return out;
}

bool ValidPitch(std::uint8_t p) {
  return p == kNoPitch || p <= 127;
}

void ReadNotes(SongMarks& marks, const unsigned char* p, std::size_t n) {
  for (; n >= kNoteRecordSize; p += kNoteRecordSize, n -= kNoteRecordSize) {
    const int cell = LoadLE16(p);
    const int slot = p[2];
    NoteMarks m;
    m.technique = static_cast<Technique>(p[3]);
    m.finger = p[4];
    m.string = p[5];
    m.together = {p[6], p[7]};
    if (cell >= kMarkCellCount || slot >= kMarkSlotsPerCell || p[3] >= kTechniqueCount ||
        m.finger > kMaxFinger || m.string > kMaxMarkString || !ValidPitch(m.together[0]) ||
        !ValidPitch(m.together[1])) {
      continue;
    }
    marks.At(cell, slot) = m;
  }
}

void ReadMeasures(SongMarks& marks, const unsigned char* p, std::size_t n) {
  for (; n >= kMeasureRecordSize; p += kMeasureRecordSize, n -= kMeasureRecordSize) {
    const int measure = LoadLE16(p);
    MeasureMarks m;
    m.flags = p[2];
    m.repeatCount = p[3];
    m.ending = p[4];
    if (measure >= kMarkMeasureCount || (m.flags & ~kMeasureFlagMask) != 0 ||
        m.repeatCount > kMaxRepeatCount || m.ending > kMaxEnding) {
      continue;
    }
    marks.measures[static_cast<std::size_t>(measure)] = m;
  }
}

void ReadSyllables(SongMarks& marks, const unsigned char* p, std::size_t n) {
  while (n >= kSyllableRecordHeader && n - kSyllableRecordHeader >= p[3]) {
    const int cell = LoadLE16(p);
    const int slot = p[2];
    const std::size_t length = p[3];
    const std::string_view text(reinterpret_cast<const char*>(p + kSyllableRecordHeader), length);
    SyllableOverride own;
    if (cell < kMarkCellCount && slot < kMarkSlotsPerCell && own.Assign(text)) {
      marks.SyllableAt(cell, slot) = own;
    }
    p += kSyllableRecordHeader + length;
    n -= kSyllableRecordHeader + length;
  }
}

void ReadChunk(SongMarks& marks, std::vector<ForeignChunk>& foreign, std::uint32_t tag,
               const unsigned char* p, std::size_t n) {
  if (tag == kTuneTag) {
    if (n >= 3 && p[0] < kTuningRows && p[1] < kFirstStringValues && p[2] < kKeyRows) {
      marks.tuning = TabTuning{1, p[0], p[1], p[2]};
    }
  } else if (tag == kStyleTag) {
    if (n >= 1 && p[0] <= static_cast<unsigned char>(TechniqueStyle::kAbove)) {
      marks.style = static_cast<TechniqueStyle>(p[0]);
    }
  } else if (tag == kNoteTag) {
    ReadNotes(marks, p, n);
  } else if (tag == kMeasureTag) {
    ReadMeasures(marks, p, n);
  } else if (tag == kSyllableTag) {
    ReadSyllables(marks, p, n);
  } else {
    foreign.push_back(ForeignChunk{tag, std::string(reinterpret_cast<const char*>(p), n)});
  }
}

}  // namespace

std::vector<unsigned char> EncodeScoreExtension(const CSongData& song) {
  const SongMarks& marks = song.m_marks;
  const std::vector<unsigned char> notes = NoteRecords(song);
  const std::vector<unsigned char> measures = MeasureRecords(song);
  const std::vector<unsigned char> syllables = SyllableRecords(song);
  if (notes.empty() && measures.empty() && syllables.empty() &&
      marks.style == TechniqueStyle::kUnset && !marks.tuning.stored &&
      song.m_foreignChunks.empty()) {
    return {};
  }
  std::vector<unsigned char> chunks;
  if (marks.tuning.stored) {
    PutChunk(chunks, kTuneTag, {marks.tuning.tuning, marks.tuning.firstString, marks.tuning.key});
  }
  if (marks.style != TechniqueStyle::kUnset) {
    PutChunk(chunks, kStyleTag, {static_cast<unsigned char>(marks.style)});
  }
  if (!notes.empty()) {
    PutChunk(chunks, kNoteTag, notes);
  }
  if (!measures.empty()) {
    PutChunk(chunks, kMeasureTag, measures);
  }
  if (!syllables.empty()) {
    PutChunk(chunks, kSyllableTag, syllables);
  }
  for (const ForeignChunk& chunk : song.m_foreignChunks) {
    PutChunk(chunks, chunk.tag, std::vector<unsigned char>(chunk.bytes.begin(), chunk.bytes.end()));
  }

  std::vector<unsigned char> out(kMagic, kMagic + sizeof kMagic);
  PutU16(out, kVersion);
  PutU16(out, 0);
  PutU32(out, static_cast<std::uint32_t>(chunks.size()));
  out.insert(out.end(), chunks.begin(), chunks.end());
  PutU32(out, static_cast<std::uint32_t>(crc32(0, out.data(), static_cast<uInt>(out.size()))));
  return out;
}

ExtensionRead DecodeScoreExtension(CSongData& song, const unsigned char* data, std::size_t size) {
  if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
    return ExtensionRead::kNone;
  }
  if (size < kHeaderSize + 4 || size > kMaxScoreExtensionBytes || LoadLE16(data + 4) != kVersion) {
    return ExtensionRead::kIgnored;
  }
  const std::size_t chunkBytes = LoadLE32(data + 8);
  if (chunkBytes > size - kHeaderSize - 4) {
    return ExtensionRead::kIgnored;
  }
  const std::size_t crcAt = kHeaderSize + chunkBytes;
  if (LoadLE32(data + crcAt) != crc32(0, data, static_cast<uInt>(crcAt))) {
    return ExtensionRead::kIgnored;
  }
  // The chunks must tile the block exactly before any is taken.
  for (std::size_t at = kHeaderSize; at < crcAt;) {
    if (crcAt - at < kChunkHeaderSize || LoadLE32(data + at + 4) > crcAt - at - kChunkHeaderSize) {
      return ExtensionRead::kIgnored;
    }
    at += kChunkHeaderSize + LoadLE32(data + at + 4);
  }
  SongMarks marks;
  std::vector<ForeignChunk> foreign;
  for (std::size_t at = kHeaderSize; at < crcAt;) {
    const std::size_t length = LoadLE32(data + at + 4);
    ReadChunk(marks, foreign, LoadLE32(data + at), data + at + kChunkHeaderSize, length);
    at += kChunkHeaderSize + length;
  }
  song.m_marks = marks;
  song.m_foreignChunks = std::move(foreign);
  return ExtensionRead::kRead;
}

}  // namespace kumoito
