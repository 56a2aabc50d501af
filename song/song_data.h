#pragma once
// CSongData: the one in-memory song. A flat object of fixed capacity (1024
// beats, 2048 half-beat cells) whose blocks mirror the score file one for one,
// so it can be copied, saved and loaded as whole blocks. The main window owns
// it; the editing and drawing tools read and change its members in place.
//
// Thread-safety: none. Only the GUI thread touches a song (playback works on
// performance data built from it).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "song/marks.h"

namespace kumoito {

inline constexpr int kMaxBeats = 1024;
inline constexpr int kMaxCells = 2 * kMaxBeats;
inline constexpr int kSlotsPerCell = 3;
inline constexpr int kMinBeatsPerMeasure = 1;
inline constexpr int kMaxBeatsPerMeasure = 8;
inline constexpr int kExtraTextCount = 12;
inline constexpr int kExtraTextSize = 2048;  // 2047 characters and a NUL
inline constexpr int kFreeTextSize = 2048;
inline constexpr int kChordFieldSize = 8;
inline constexpr int kLyricFieldSize = 8;

// Slot values other than a MIDI note number 0..127.
inline constexpr std::int32_t SLOT_REST = -1;  // a rest starts here
inline constexpr std::int32_t SLOT_HOLD = -2;  // whatever started before goes on
inline constexpr std::int32_t SLOT_NONE = -3;  // third slot of the cell not in use

inline constexpr std::int32_t kDefaultTempo = 120;
inline constexpr std::int32_t kRepairedTempo = 80;
inline constexpr std::int32_t kMinTempo = 40;
inline constexpr std::int32_t kMaxTempo = 240;

// Chord symbols in force from the start and from the middle of a beat.
struct BeatChord {
  char chord[kChordFieldSize];
  char chordMid[kChordFieldSize];  // empty: no change within the beat
};

// One half beat: slots 0 and 1 are its two sixteenths; slot 2 is SLOT_NONE
// unless the cell is divided in three.
struct NoteCell {
  std::int32_t pitch[kSlotsPerCell];
  char lyric[kSlotsPerCell][kLyricFieldSize];
};

// Song information, laid out exactly as the 320-byte block of the file.
struct SongInfo {
  char composer[33];
  char composerSub[31];
  char lyricist[33];
  char lyricistSub[31];
  unsigned char reserved1[64];
  std::int32_t infoValueA;
  std::int32_t infoValueB;
  std::int32_t tempo;
  std::int32_t infoValueC;
  unsigned char reserved2[4];
  std::int32_t infoValueD;
  unsigned char reserved3[16];  // byte 10: region code read by the library
  char infoText[24];            // byte 5: fame score read by the library
  char title[33];
  char titleSub[31];
};
static_assert(sizeof(SongInfo) == 320);
static_assert(kMarkCellCount == kMaxCells && kMarkSlotsPerCell == kSlotsPerCell &&
              kMarkMeasureCount == kMaxBeats / kMinBeatsPerMeasure);

// A chunk of the score file's extension that this program does not know,
// carried through load and save as it came.
struct ForeignChunk {
  std::uint32_t tag = 0;
  std::string bytes;
  friend bool operator==(const ForeignChunk&, const ForeignChunk&) = default;
};

class CSongData final {
 public:
  // Reads the score at path, or makes a new song from the three inputs when
  // there is no usable file. The in/out values receive the song's beats per
  // measure, key row and measure count.
  static std::unique_ptr<CSongData> LoadOrCreate(const std::string& path,
                                                 std::int32_t& beatsPerMeasure,
                                                 std::int32_t& keyIndex,
                                                 std::int32_t& measureCount);
  // The same for a file that must be a score: null, with no new song made
  // (and none of its messages shown), when path cannot be read as one.
  static std::unique_ptr<CSongData> LoadExisting(const std::string& path,
                                                 std::int32_t& beatsPerMeasure,
                                                 std::int32_t& keyIndex,
                                                 std::int32_t& measureCount);

  // A new song holding the first n measures of source; key name, texts and
  // path start empty.
  static std::unique_ptr<CSongData> CopyMeasures(const CSongData& source, std::int32_t n);

  // A whole copy, path included. The song is large (some 200 KB), so copies
  // are made only on purpose, never by accident.
  static std::unique_ptr<CSongData> Clone(const CSongData& source);
  CSongData& operator=(const CSongData&) = delete;

  void ResetSong();
  void InitEmptySong();
  void SetMeasureCount(std::int32_t n);
  // Length in eighth notes of the note or rest that starts at slot 0 or 1 of
  // the given cell of the given measure.
  double NoteLength(int cellInMeasure, int measure, int slot) const;
  void UpdatePitchRange();
  void NormalizeCells();
  void TrimTexts();
  void PackExtraTexts();
  void UnpackExtraTexts();
  void ClearFreeLabels();
  void CollapseBlanks();
  void NormalizeAdd9();
  // Removes the marks no note carries: those on holds and unused slots, and
  // on rests all but ケシ; a together pitch equal to the note's own.
  void DropStrayMarks();
  void SetKeyName(int key);
  void FillNewBeatChords(std::int32_t oldBeatCount, std::int32_t newBeatCount);

  // Beats inside the song: measures x beats per measure, never above the
  // capacity, and 0 while the beat count is outside 1..8. Every walk over the
  // song is bounded by it, whatever a file put into the header.
  int BeatCount() const;
  int CellCount() const { return 2 * BeatCount(); }
  // Largest measure count that fits the capacity at the current beat count.
  int MaxMeasureCount() const;
  bool IsFirstCellOfMeasure(int cell) const;

  std::string_view KeyName() const;
  std::string_view ExtraText(int index) const;
  void SetExtraText(int index, std::string_view text);

  std::array<BeatChord, kMaxBeats> m_beatChords;
  std::array<NoteCell, kMaxCells> m_cells;
  SongInfo m_info;
  std::int32_t m_measureCount;
  std::int16_t m_beatsPerMeasure;
  std::uint16_t m_headerWord;
  std::int32_t m_keyIndex;
  char m_freeText[kFreeTextSize];
  std::array<std::uint8_t, kMaxBeats> m_beatMarkA;
  std::array<std::uint8_t, kMaxBeats> m_beatMarkB;
  std::int32_t m_lowestPitch;
  std::int32_t m_highestPitch;
  char m_keyName[16];
  std::string m_filePath;
  // LoadOrCreate read the song from m_filePath (rather than making a new one).
  bool m_readFromFile = false;
  std::array<std::array<char, kExtraTextSize>, kExtraTextCount> m_extraTexts;
  SongMarks m_marks;
  std::vector<ForeignChunk> m_foreignChunks;

 private:
  CSongData();
  CSongData(const CSongData&) = default;
  static std::unique_ptr<CSongData> Load(const std::string& path, std::int32_t& beatsPerMeasure,
                                         std::int32_t& keyIndex, std::int32_t& measureCount,
                                         bool createWhenUnread);
  void MakeNew(std::int32_t beatsPerMeasure, std::int32_t keyIndex, std::int32_t measureCount);
  void InitCell(int cell);
};

}  // namespace kumoito
