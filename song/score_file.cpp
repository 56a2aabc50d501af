#include "song/score_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/file_util.h"
#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "common/ui_text.h"
#include "song/key_table.h"
#include "song/score_extension.h"
#include "song/score_layout.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

namespace L = score_layout;

constexpr std::uint32_t kFreedMemoryMark = 0xFEEEFEEE;
constexpr unsigned char kDeletedLyricistMark = 0xDD;

// Text fields are carried byte for byte: a full field has no terminator, and
// whatever follows an early one belongs to the file and goes back into it.
// Readers stop at the first NUL or at the end of the field (FieldText).
template <std::size_t N>
void LoadText(char (&field)[N], const unsigned char* p) {
  std::memcpy(field, p, N);
}

// The two oldest layouts wrote their 8-byte chords and lyrics as C strings
// whose eighth byte was the terminator, so nothing past it is the file's own:
// a field filled to the end keeps its first seven bytes (never half of a
// two-byte character), and the rest of the field is cleared.
template <std::size_t N>
void LoadOldText(char (&field)[N], const unsigned char* p) {
  std::memset(field, 0, N);
  const char* text = reinterpret_cast<const char*>(p);
  SetFieldText(field, std::string_view(text, FieldLength(text, N)));
}

template <std::size_t N>
void StoreBytes(unsigned char* p, const char (&field)[N]) {
  std::memcpy(p, field, N);
}

void DecodeInfo(SongInfo& info, const unsigned char* p) {
  LoadText(info.composer, p + L::kInfoComposer);
  LoadText(info.composerSub, p + L::kInfoComposerSub);
  LoadText(info.lyricist, p + L::kInfoLyricist);
  LoadText(info.lyricistSub, p + L::kInfoLyricistSub);
  std::memcpy(info.reserved1, p + L::kInfoReserved1, sizeof info.reserved1);
  info.infoValueA = LoadLE32Signed(p + L::kInfoValueA);
  info.infoValueB = LoadLE32Signed(p + L::kInfoValueB);
  info.tempo = LoadLE32Signed(p + L::kInfoTempo);
  info.infoValueC = LoadLE32Signed(p + L::kInfoValueC);
  std::memcpy(info.reserved2, p + L::kInfoReserved2, sizeof info.reserved2);
  info.infoValueD = LoadLE32Signed(p + L::kInfoValueD);
  std::memcpy(info.reserved3, p + L::kInfoReserved3, sizeof info.reserved3);
  LoadText(info.infoText, p + L::kInfoText);
  LoadText(info.title, p + L::kInfoTitle);
  LoadText(info.titleSub, p + L::kInfoTitleSub);

  // Values left by freed memory or by older writers.
  if (static_cast<std::uint32_t>(info.infoValueA) == kFreedMemoryMark) {
    info.infoValueA = 0;
  }
  if (static_cast<std::uint32_t>(info.infoValueB) == kFreedMemoryMark) {
    info.infoValueB = 1;
  }
  if (static_cast<unsigned char>(info.lyricist[0]) == kDeletedLyricistMark) {
    info.lyricist[0] = '\0';
  }
  if (info.tempo < kMinTempo || info.tempo > kMaxTempo) {
    info.tempo = kRepairedTempo;
  }
  if (info.infoValueC < 0 || info.infoValueC > 127) {
    info.infoValueC = 0;
  }
}

void EncodeInfo(unsigned char* p, const SongInfo& info) {
  StoreBytes(p + L::kInfoComposer, info.composer);
  StoreBytes(p + L::kInfoComposerSub, info.composerSub);
  StoreBytes(p + L::kInfoLyricist, info.lyricist);
  StoreBytes(p + L::kInfoLyricistSub, info.lyricistSub);
  std::memcpy(p + L::kInfoReserved1, info.reserved1, sizeof info.reserved1);
  StoreLE32(p + L::kInfoValueA, static_cast<std::uint32_t>(info.infoValueA));
  StoreLE32(p + L::kInfoValueB, static_cast<std::uint32_t>(info.infoValueB));
  StoreLE32(p + L::kInfoTempo, static_cast<std::uint32_t>(info.tempo));
  StoreLE32(p + L::kInfoValueC, static_cast<std::uint32_t>(info.infoValueC));
  std::memcpy(p + L::kInfoReserved2, info.reserved2, sizeof info.reserved2);
  StoreLE32(p + L::kInfoValueD, static_cast<std::uint32_t>(info.infoValueD));
  std::memcpy(p + L::kInfoReserved3, info.reserved3, sizeof info.reserved3);
  StoreBytes(p + L::kInfoText, info.infoText);
  StoreBytes(p + L::kInfoTitle, info.title);
  StoreBytes(p + L::kInfoTitleSub, info.titleSub);
}

void DecodeCell(NoteCell& cell, const unsigned char* p) {
  for (int s = 0; s < kSlotsPerCell; ++s) {
    cell.pitch[s] = LoadLE32Signed(p + 4 * s);
  }
  std::memcpy(cell.lyric, p + L::kCellLyricOffset, sizeof cell.lyric);
}

// Slot values no editor writes (pitches above 127, codes below SLOT_NONE)
// would index the pitch tables out of range: they become a rest, or an unused
// third slot. Their lyric fields were free space and are cleared.
void RepairSlots(CSongData& song) {
  for (auto& cell : song.m_cells) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      std::int32_t& v = cell.pitch[s];
      if (v > 127 || v < SLOT_NONE) {
        v = (s == 2) ? SLOT_NONE : SLOT_REST;
        std::memset(cell.lyric[s], 0, kLyricFieldSize);
      }
    }
  }
}

}  // namespace

bool DecodeScoreImage(CSongData& song, const unsigned char* data, std::size_t size) {
  const bool oldest = size == L::kOldestSize;
  const bool oldChords = oldest || size == L::kOldChordSize;
  if (!oldChords && size < L::kInfoSize) {
    return false;
  }

  for (int b = 0; b < kMaxBeats; ++b) {
    BeatChord& beat = song.m_beatChords[b];
    if (oldChords) {
      LoadOldText(beat.chord, data + b * L::kOldChordRecordSize);
      std::memset(beat.chordMid, 0, sizeof beat.chordMid);
    } else {
      const unsigned char* p = data + L::kChordBlock + b * L::kChordRecordSize;
      LoadText(beat.chord, p);
      LoadText(beat.chordMid, p + kChordFieldSize);
    }
  }

  for (int c = 0; c < kMaxCells; ++c) {
    NoteCell& cell = song.m_cells[c];
    if (oldest) {
      // One slot per eighth note: the note, then a hold for its second half.
      const unsigned char* p = data + L::kOldCellBlock + c * L::kOldCellRecordSize;
      std::memset(&cell, 0, sizeof cell);
      cell.pitch[0] = LoadLE32Signed(p);
      cell.pitch[1] = SLOT_HOLD;
      cell.pitch[2] = SLOT_NONE;
      LoadOldText(cell.lyric[0], p + 4);
    } else {
      const std::size_t base = oldChords ? L::kOldCellBlock : L::kCellBlock;
      DecodeCell(cell, data + base + c * L::kCellRecordSize);
    }
  }

  if (!oldChords) {
    DecodeInfo(song.m_info, data + L::kInfoBlock);
  }

  const unsigned char* header = data + (oldest      ? L::kOldestHeader
                                        : oldChords ? L::kOldChordHeader
                                                    : L::kHeader);
  std::int32_t measureCount = LoadLE32Signed(header + L::kHeaderMeasureCount);
  const auto beats = static_cast<std::int16_t>(LoadLE16(header + L::kHeaderBeatsPerMeasure));
  const std::uint16_t word = LoadLE16(header + L::kHeaderWord);
  const std::int32_t key = LoadLE32Signed(header + L::kHeaderKey);

  if (!oldChords && size >= L::kFreeTextVersion) {
    std::memcpy(song.m_freeText, data + L::kFreeText, kFreeTextSize);
  }
  if (!oldChords && size >= L::kFileSize) {
    std::memcpy(song.m_beatMarkA.data(), data + L::kBeatMarkA, kMaxBeats);
    std::memcpy(song.m_beatMarkB.data(), data + L::kBeatMarkB, kMaxBeats);
  }

  // A measure count of 0 or below is an empty song; one that overflows the
  // capacity keeps the measures that fit.
  song.m_beatsPerMeasure = beats;
  song.m_measureCount = std::max<std::int32_t>(measureCount, 0);
  if (beats >= kMinBeatsPerMeasure && beats <= kMaxBeatsPerMeasure) {
    song.m_measureCount = std::min(song.m_measureCount, song.MaxMeasureCount());
  }
  song.m_headerWord = word;
  song.m_keyIndex = ValidKeyIndex(key);

  song.UnpackExtraTexts();
  RepairSlots(song);
  song.NormalizeAdd9();
  song.UpdatePitchRange();
  return true;
}

namespace {

// The extension, when the bytes past the layout are one of ours; a damaged
// one costs the marks, never the notes, and says so once.
void ReadExtension(CSongData& song, const unsigned char* data, std::size_t size,
                   std::string_view path) {
  if (DecodeScoreExtension(song, data, size) == ExtensionRead::kIgnored) {
    ShowMessageBox(Ui::Tr(kDamagedExtensionText) + (path.empty() ? "" : "\n") + std::string(path));
  }
}

}  // namespace

bool DecodeScoreBytes(CSongData& song, const unsigned char* data, std::size_t size) {
  if (!DecodeScoreImage(song, data, size)) {
    return false;
  }
  if (size > L::kFileSize) {
    ReadExtension(song, data + L::kFileSize, size - L::kFileSize, {});
  }
  return true;
}

bool ReadScoreFile(CSongData& song, const std::string& path) {
  if (!FileExists(path)) {
    return false;
  }
  const std::size_t size = GetFileSize32(path);
  if (size < L::kInfoSize && size != L::kOldestSize && size != L::kOldChordSize) {
    ReportGeneralError(kGeneFileSizeError, path);
    return false;
  }
  std::vector<unsigned char> buffer(std::min(size, L::kFileSize), 0);
  ReadFileExact(path, buffer.data(), buffer.size());
  if (!DecodeScoreImage(song, buffer.data(), size)) {
    return false;
  }
  // Past the layout, only an extension of ours is read, and only so far as
  // one can reach: one byte more tells a block that is too large.
  if (size > L::kFileSize) {
    std::vector<unsigned char> tail(
        std::min<std::size_t>(size - L::kFileSize, kMaxScoreExtensionBytes + 1));
    std::error_code why;
    if (const auto n = ReadFileAt(path, L::kFileSize, tail.data(), tail.size(), why)) {
      ReadExtension(song, tail.data(), *n, path);
    }
  }
  return true;
}

void BuildScoreImage(unsigned char* image, const CSongData& song, std::int16_t beatsPerMeasure,
                     std::int32_t keyIndex, std::uint16_t headerWord) {
  std::memset(image, 0, L::kFileSize);
  for (int b = 0; b < kMaxBeats; ++b) {
    unsigned char* p = image + L::kChordBlock + b * L::kChordRecordSize;
    StoreBytes(p, song.m_beatChords[b].chord);
    StoreBytes(p + kChordFieldSize, song.m_beatChords[b].chordMid);
  }
  for (int c = 0; c < kMaxCells; ++c) {
    unsigned char* p = image + L::kCellBlock + c * L::kCellRecordSize;
    const NoteCell& cell = song.m_cells[c];
    for (int s = 0; s < kSlotsPerCell; ++s) {
      StoreLE32(p + 4 * s, static_cast<std::uint32_t>(cell.pitch[s]));
    }
    std::memcpy(p + L::kCellLyricOffset, cell.lyric, sizeof cell.lyric);
  }
  EncodeInfo(image + L::kInfoBlock, song.m_info);
  unsigned char* header = image + L::kHeader;
  StoreLE32(header + L::kHeaderMeasureCount, static_cast<std::uint32_t>(song.m_measureCount));
  StoreLE16(header + L::kHeaderBeatsPerMeasure, static_cast<std::uint16_t>(beatsPerMeasure));
  StoreLE16(header + L::kHeaderWord, headerWord);
  StoreLE32(header + L::kHeaderKey, static_cast<std::uint32_t>(keyIndex));
  std::memcpy(image + L::kFreeText, song.m_freeText, kFreeTextSize);
  std::memcpy(image + L::kBeatMarkA, song.m_beatMarkA.data(), kMaxBeats);
  std::memcpy(image + L::kBeatMarkB, song.m_beatMarkB.data(), kMaxBeats);
}

std::vector<unsigned char> ScoreFileImage(const CSongData& song) {
  const std::unique_ptr<CSongData> copy = CSongData::Clone(song);
  copy->NormalizeCells();
  copy->TrimTexts();
  copy->PackExtraTexts();
  std::vector<unsigned char> image(L::kFileSize);
  BuildScoreImage(image.data(), *copy, copy->m_beatsPerMeasure, copy->m_keyIndex,
                  copy->m_headerWord);
  const std::vector<unsigned char> extension = EncodeScoreExtension(*copy);
  image.insert(image.end(), extension.begin(), extension.end());
  return image;
}

bool SaveScore(CSongData& song, std::int16_t beatsPerMeasure, std::int32_t keyIndex,
               const std::string& path, std::uint16_t headerWord) {
  song.NormalizeCells();
  song.TrimTexts();
  song.PackExtraTexts();
  std::vector<unsigned char> image(L::kFileSize);
  BuildScoreImage(image.data(), song, beatsPerMeasure, keyIndex, headerWord);
  const std::vector<unsigned char> extension = EncodeScoreExtension(song);
  image.insert(image.end(), extension.begin(), extension.end());
  const bool written = WriteFileBytes(path.empty() ? song.m_filePath : path, image.data(),
                                      image.size(), WriteDurability::kDurable);
  song.ClearFreeLabels();
  return written;
}

}  // namespace kumoito
