#include "song/tuning.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/report.h"
#include "common/sjis.h"

namespace kumoito {
namespace {

constexpr std::string_view kSkipChord = "Skip";

// Flat spellings accepted for the roots kNoteNames writes with a sharp.
constexpr std::array<std::string_view, 12> kFlatNames = {"",   "Db", "",   "Eb", "",   "",
                                                         "Gb", "",   "Ab", "",   "Bb", ""};

// Pitch class of a chord root, or -1 when no row spells it.
int RootIndex(std::string_view root) {
  const bool flat = root.size() == 2 && root[1] == 'b';
  for (int i = 0; i < 12; ++i) {
    if (root == (flat ? kFlatNames[i] : kNoteNames[i])) {
      return i;
    }
  }
  return -1;
}

// Folds a transposed pitch back into 0..127 by whole octaves. Worked in 64
// bits so that no shift a caller can pass overflows.
std::int32_t FoldPitch(std::int64_t v) {
  if (v > kMaxPitch) {
    v -= 12 * ((v - kMaxPitch + 11) / 12);
  } else if (v < 0) {
    v += 12 * ((-v + 11) / 12);
  }
  return static_cast<std::int32_t>(v);
}

}  // namespace

OpenStrings OpenStringPitches(std::int32_t firstStringValue, std::int32_t tuning) {
  const std::int32_t first = FirstStringPitch(firstStringValue);
  const auto& intervals = kTuningTable[ValidTuningIndex(tuning)].intervals;
  return {first + intervals[0], first + intervals[1], first + intervals[2]};
}

PitchPlaceTable BuildPitchPlaces(const OpenStrings& openPitches) {
  const std::int32_t s1 = openPitches[0];
  const std::int32_t s2 = openPitches[1];
  const std::int32_t s3 = openPitches[2];
  PitchPlaceTable table{};
  for (std::int32_t p = 0; p < kPitchCount; ++p) {
    std::int32_t a = p;
    if (p < s1) {
      a = p + 12 * ((s1 - p - 1) / 12 + 1);
    }
    PitchPlace& place = table.places[p];
    place.string = a < s2 ? 0 : (a < s3 ? 1 : 2);
    place.position = a - openPitches[place.string] + 1;
    while (place.position > kMaxPosition) {
      place.position -= 12;
    }
  }
  return table;
}

std::int32_t RelativeMajorPitch(int key) {
  const KeyEntry& entry = kKeyTable[ValidKeyIndex(key)];
  return entry.minor != 0 ? entry.tonic + 3 : entry.tonic;
}

void TransposeCells(CSongData& song, int n) {
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      std::int32_t& v = song.m_cells[c].pitch[s];
      if (v >= 0) {
        v = FoldPitch(static_cast<std::int64_t>(v) + n);
      }
      // The notes struck with it move with it.
      for (std::uint8_t& together : song.m_marks.At(c, s).together) {
        if (together != kNoPitch) {
          together = static_cast<std::uint8_t>(FoldPitch(static_cast<std::int64_t>(together) + n));
        }
      }
    }
  }
}

bool TransposeChord(char (&chord)[kChordFieldSize], int n) {
  const std::string_view text = FieldText(chord);
  if (text.empty() || text == kSkipChord) {
    return true;
  }
  const std::size_t rootLength = (text.size() >= 2 && (text[1] == '#' || text[1] == 'b')) ? 2 : 1;
  const int root = RootIndex(text.substr(0, rootLength));
  if (root < 0) {
    ReportSongDataError();
    return false;
  }
  const std::int64_t target = ((static_cast<std::int64_t>(root) + n) % 12 + 12) % 12;
  std::string result(kNoteNames[static_cast<std::size_t>(target)]);
  result += text.substr(rootLength);
  // A one-letter root that gains a sharp can push a full field past seven
  // characters; the end of the suffix is dropped so the terminator stays.
  std::memset(chord, 0, sizeof chord);
  SetFieldText(chord, result);
  return true;
}

void TransposeChords(CSongData& song, int n) {
  const int beats = song.BeatCount();
  for (int b = 0; b < beats; ++b) {
    TransposeChord(song.m_beatChords[b].chord, n);
    TransposeChord(song.m_beatChords[b].chordMid, n);
  }
}

void TransposeSong(CSongData& song, int n) {
  TransposeChords(song, n);
  TransposeCells(song, n);
  const KeyEntry& current = kKeyTable[ValidKeyIndex(song.m_keyIndex)];
  // C++ remainder truncates toward zero: a negative sum matches no row and
  // the key stays, which is the rule.
  const std::int64_t t = (static_cast<std::int64_t>(current.tonic) + n) % 12;
  for (int row = 0; row < kKeyCount; ++row) {
    if (kKeyTable[row].tonic == t && kKeyTable[row].minor == current.minor) {
      song.m_keyIndex = row;
      return;
    }
  }
}

void ChangeKey(CSongData& song, int from, int to) {
  to = ValidKeyIndex(to);
  const int shift = RelativeMajorPitch(to) - RelativeMajorPitch(from);
  TransposeChords(song, shift);
  TransposeCells(song, shift);
  song.m_keyIndex = to;
  song.SetKeyName(to);
}

std::optional<PitchPlace> PlaceOnString(const OpenStrings& open, std::int32_t pitch, int string) {
  if (string < 0 || string >= kStringCount) {
    return std::nullopt;
  }
  const std::int32_t position = pitch - open[static_cast<std::size_t>(string)] + 1;
  if (position < 1 || position > kMaxPosition) {
    return std::nullopt;
  }
  return PitchPlace{string, position};
}

PitchPlace PlaceOfMarkedNote(const PitchPlaceTable& places, const OpenStrings& open,
                             std::int32_t pitch, const NoteMarks& marks) {
  const PitchPlace automatic = places[std::clamp(pitch, 0, kMaxPitch)];
  if (marks.string == 0) {
    return automatic;
  }
  return PlaceOnString(open, pitch, marks.string - 1).value_or(automatic);
}

std::optional<PitchPlace> PlaceTogether(const PitchPlaceTable& places, const OpenStrings& open,
                                        std::int32_t pitch, int taken, int alsoTaken) {
  if (pitch < 0 || pitch > kMaxPitch) {
    return std::nullopt;
  }
  const PitchPlace automatic = places[pitch];
  if (automatic.string != taken && automatic.string != alsoTaken &&
      PlaceOnString(open, pitch, automatic.string)) {
    return automatic;
  }
  std::optional<PitchPlace> best;
  for (int string = 0; string < kStringCount; ++string) {
    if (string == taken || string == alsoTaken) {
      continue;
    }
    const std::optional<PitchPlace> place = PlaceOnString(open, pitch, string);
    if (place && (!best || place->position < best->position)) {
      best = place;
    }
  }
  // A pitch no string reaches as written is drawn where placement folds it.
  if (!best && automatic.string != taken && automatic.string != alsoTaken) {
    return automatic;
  }
  return best;
}

std::optional<NoteMarks> TwoStringMarks(const OpenStrings& open, std::int32_t melody,
                                        std::int32_t other) {
  if (melody < 0 || melody > kMaxPitch || other < 0 || other > kMaxPitch || melody == other) {
    return std::nullopt;
  }
  const PitchPlaceTable places = BuildPitchPlaces(open);
  const int automatic = places[static_cast<std::size_t>(melody)].string;
  std::array<int, kStringCount> order{automatic, 0, 0};
  for (int s = 0, k = 1; s < kStringCount; ++s) {
    if (s != automatic) {
      order[static_cast<std::size_t>(k++)] = s;
    }
  }
  for (const int string : order) {
    if (string != automatic && !PlaceOnString(open, melody, string)) {
      continue;
    }
    const auto placed = PlaceTogether(places, open, other, string);
    if (placed && PlaceOnString(open, other, placed->string)) {
      NoteMarks marks;
      marks.string = string == automatic ? 0 : static_cast<std::uint8_t>(string + 1);
      marks.together[0] = static_cast<std::uint8_t>(other);
      return marks;
    }
  }
  return std::nullopt;
}

}  // namespace kumoito
