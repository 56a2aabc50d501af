#include "import/song_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include "common/sjis.h"
#include "common/ui_text.h"
#include "song/key_table.h"
#include "song/kuchijamisen.h"

namespace kumoito::import {
namespace {

// A place on the song's grid: cell and slot, as one index that orders them.
int SlotIndex(int cell, int slot) {
  return cell * kSlotsPerCell + slot;
}

struct Event {
  Rational at;  // song beats
  int value;    // pitch or SLOT_REST
  std::string lyric;
  NoteMarks marks{};
  std::optional<std::string> syllable{};  // UTF-8, as the file's 口三味線 line says
};

std::string MetreText(int numerator, int denominator) {
  return std::to_string(numerator) + "/" + std::to_string(denominator);
}

template <std::size_t N>
void PutText(char (&field)[N], const std::string& utf8) {
  SetFieldText(field, Utf8ToCp932Lenient(utf8));
}

// Whether the slot lies in a rest: on a rest, or on holds after one.
bool RestAt(const CSongData& song, int index) {
  for (int i = index; i >= 0; --i) {
    const std::int32_t v =
        song.m_cells[static_cast<std::size_t>(i / kSlotsPerCell)].pitch[i % kSlotsPerCell];
    if (v == SLOT_REST) {
      return true;
    }
    if (v >= 0) {
      return false;
    }
  }
  return true;
}

// The tuning of a TAB staff, where it is one of ours, is the one the tab
// was written in: the song opens in it.
void StoreTabTuning(CSongData& song, const OpenStrings& open, int fifths) {
  const std::int32_t first = open[0] - kFirstStringBasePitch;
  if (first < 0 || first >= kFirstStringCount) {
    return;
  }
  for (int t = 0; t < kTuningCount; ++t) {
    const auto& intervals = kTuningTable[static_cast<std::size_t>(t)].intervals;
    if (open[1] - open[0] != intervals[1] || open[2] - open[0] != intervals[2]) {
      continue;
    }
    // The major key of the signature, among the twelve of the key list.
    const int tonic = kKeyTable[static_cast<std::size_t>(KeyRowFor(fifths, false))].tonic;
    int key = 0;
    for (int k = 0; k < kMajorKeyCount; ++k) {
      if (kKeyTable[static_cast<std::size_t>(k)].tonic == tonic) {
        key = k;
        break;
      }
    }
    song.m_marks.tuning =
        TabTuning{1, static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(first),
                  static_cast<std::uint8_t>(key)};
    return;
  }
}

// A syllable the file writes that the rule would not give, or none where the
// rule gives one, is the user's own.
void KeepSyllables(CSongData& song, const OpenStrings& open,
                   const std::vector<std::pair<int, std::optional<std::string>>>& syllables) {
  const PitchPlaceTable places = BuildPitchPlaces(open);
  for (const auto& [index, text] : syllables) {
    const int cell = index / kSlotsPerCell;
    const int slot = index % kSlotsPerCell;
    const std::string written = text ? Utf8ToCp932Lenient(*text) : std::string();
    const std::int32_t value = song.m_cells[static_cast<std::size_t>(cell)].pitch[slot];
    const std::string_view rule = value >= 0
                                      ? RuleSyllable(SyllableNoteAt(song, places, open, cell, slot))
                                      : std::string_view();
    if (written != rule) {
      song.m_marks.SyllableAt(cell, slot).Assign(written);
    }
  }
}

}  // namespace

MetrePlan PlanMetre(int numerator, int denominator) {
  MetrePlan plan;
  if (numerator <= 0 || denominator <= 0) {
    return plan;
  }
  const Rational quarters(4L * numerator, denominator);
  static const std::array<Rational, 7> kScales = {Rational(1),    Rational(2),    Rational(4),
                                                  Rational(2, 3), Rational(1, 2), Rational(4, 3),
                                                  Rational(1, 4)};
  for (const Rational& scale : kScales) {
    const Rational beats = quarters * scale;
    if (beats.Den() == 1 && beats.Num() >= kMinBeatsPerMeasure &&
        beats.Num() <= kMaxBeatsPerMeasure) {
      plan.beatsPerMeasure = static_cast<int>(beats.Num());
      plan.scale = scale;
      return plan;
    }
  }
  plan.barsKept = false;
  return plan;
}

int KeyRowFor(int fifths, bool minor) {
  for (int row = 0; row < kKeyCount; ++row) {
    if (kKeyTable[row].accidentals == fifths && (kKeyTable[row].minor != 0) == minor) {
      return row;
    }
  }
  return 0;
}

WrittenSong WriteSong(const Melody& melody) {
  WrittenSong result;
  std::vector<std::string>& notices = result.notices;

  const MetreChange first = melody.metres.empty() ? MetreChange{} : melody.metres.front();
  const MetrePlan plan = PlanMetre(first.numerator, first.denominator);
  const Rational measureQuarters(4L * first.numerator, first.denominator);
  const Rational k = plan.scale;
  const int bpm = plan.beatsPerMeasure;
  if (!plan.barsKept) {
    notices.push_back(Ui::Format(
        Ui::Tr("%1 拍子は 1 小節を 1〜8 拍にできないため、4 拍ごとに小節を区切りました。"),
        {MetreText(first.numerator, first.denominator)}));
  } else if (!(k == Rational(1))) {
    notices.push_back(Ui::Format(
        Ui::Tr("%1 拍子を %2 拍の小節にするため、音価と速さを同じ割合で変えて書きました。"),
        {MetreText(first.numerator, first.denominator), std::to_string(bpm)}));
  }
  for (std::size_t i = 1; i < melody.metres.size(); ++i) {
    const MetreChange& m = melody.metres[i];
    if (!(Rational(4L * m.numerator, m.denominator) == measureQuarters)) {
      const std::int64_t measure =
          ((m.onset +
            (melody.pickup > Rational(0) ? measureQuarters - melody.pickup : Rational(0))) /
           measureQuarters)
              .Floor() +
          1;
      notices.push_back(Ui::Format(
          Ui::Tr("%1 小節目で拍子が %2 に変わりますが、最初の拍子のまま小節を区切りました。"),
          {std::to_string(measure), MetreText(m.numerator, m.denominator)}));
      break;
    }
  }

  // Leading rests make the pick-up the end of a whole first measure.
  const Rational pad = melody.pickup > Rational(0) && melody.pickup < measureQuarters
                           ? measureQuarters - melody.pickup
                           : Rational(0);
  auto songBeats = [&](Rational quarters) { return (quarters + pad) * k; };

  std::vector<Event> events;
  for (std::size_t i = 0; i < melody.notes.size(); ++i) {
    const MelodyNote& n = melody.notes[i];
    const Rational start = songBeats(n.onset);
    const Rational end = songBeats(n.onset + n.duration);
    events.push_back({start, n.pitch, n.lyric, n.marks, n.syllable});
    if (i + 1 == melody.notes.size() || melody.notes[i + 1].onset > n.onset + n.duration) {
      events.push_back({end, SLOT_REST, {}});
    }
  }
  Rational last = events.empty() ? Rational(0) : events.back().at;
  last = std::max(last, songBeats(melody.length));
  for (const ChordSymbol& c : melody.chords) {
    last = std::max(last, songBeats(c.onset) + Rational(1, 2));
  }
  // A song ends with its last note: the rest after it only fills the bar.
  std::int64_t totalBeats = std::max<std::int64_t>(last.Floor() + (last.Den() == 1 ? 0 : 1), 1);
  std::int64_t measures = (totalBeats + bpm - 1) / bpm;
  const std::int64_t room = kMaxBeats / bpm;
  if (measures > room) {
    notices.push_back(Ui::Format(Ui::Tr("曲が長すぎるため、%1 小節 (%2 拍) で切りました。"),
                                 {std::to_string(room), std::to_string(room * bpm)}));
    measures = room;
  }
  const int beatCount = static_cast<int>(measures) * bpm;

  std::int32_t beats = bpm;
  std::int32_t key = melody.fifths ? KeyRowFor(*melody.fifths, melody.minor) : 0;
  std::int32_t measureCount = static_cast<std::int32_t>(measures);
  result.song = CSongData::LoadOrCreate("", beats, key, measureCount);
  CSongData& song = *result.song;

  // Which beats are written in thirds of a half beat.
  std::vector<bool> triplet(static_cast<std::size_t>(beatCount), false);
  {
    std::vector<int> state(static_cast<std::size_t>(beatCount),
                           0);  // bit 1: off sixths, bit 2: off 16ths
    for (const Event& e : events) {
      const std::int64_t b = e.at.Floor();
      if (b < 0 || b >= beatCount) {
        continue;
      }
      const Rational f = e.at - Rational(b);
      int& s = state[static_cast<std::size_t>(b)];
      if ((f * Rational(6)).Den() != 1) {
        s |= 1;
      }
      if ((f * Rational(4)).Den() != 1) {
        s |= 2;
      }
    }
    for (int b = 0; b < beatCount; ++b) {
      triplet[static_cast<std::size_t>(b)] = state[static_cast<std::size_t>(b)] == 2;
    }
  }
  auto place = [&](Rational at) -> std::optional<int> {
    if (at < Rational(0)) {
      return std::nullopt;
    }
    std::int64_t b = at.Floor();
    if (b >= beatCount) {
      return std::nullopt;
    }
    const Rational f = at - Rational(b);
    const bool thirds = triplet[static_cast<std::size_t>(b)];
    std::int64_t s = f.RoundTo(thirds ? 6 : 4);
    if (s >= (thirds ? 6 : 4)) {
      ++b;
      if (b >= beatCount) {
        return std::nullopt;
      }
      return SlotIndex(static_cast<int>(2 * b), 0);
    }
    const int per = thirds ? 3 : 2;
    return SlotIndex(static_cast<int>(2 * b + s / per), static_cast<int>(s % per));
  };
  auto usable = [&](int index) {
    const int cell = index / kSlotsPerCell;
    return index % kSlotsPerCell < 2 || triplet[static_cast<std::size_t>(cell / 2)];
  };

  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    NoteCell& cell = song.m_cells[static_cast<std::size_t>(c)];
    cell.pitch[0] = SLOT_HOLD;
    cell.pitch[1] = SLOT_HOLD;
    cell.pitch[2] = triplet[static_cast<std::size_t>(c / 2)] ? SLOT_HOLD : SLOT_NONE;
  }
  // The places first, so that a note pushed on by one before it can see
  // where the next one stands.
  std::vector<std::optional<int>> places;
  for (const Event& e : events) {
    places.push_back(place(e.at));
  }
  // The place of the first placed event after each one, found from the end
  // once: a search per event took quadratic time behind a capacity cut.
  std::vector<std::optional<int>> nextPlaces(events.size());
  for (std::size_t i = events.size(); i-- > 1;) {
    nextPlaces[i - 1] = places[i] ? places[i] : nextPlaces[i];
  }
  int previous = -1;
  int dropped = 0;
  std::vector<std::pair<int, std::optional<std::string>>> syllables;  // slot index, text
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (!places[i]) {
      continue;  // beyond the capacity cut, said above
    }
    int index = *places[i];
    if (index <= previous) {
      // A note shorter than a sixteenth keeps its onset; what follows it
      // moves on by a slot when there is room before the event after it.
      index = previous + 1;
      while (index < cells * kSlotsPerCell && !usable(index)) {
        ++index;
      }
      const std::optional<int>& next = nextPlaces[i];
      if (index >= cells * kSlotsPerCell || (next && index >= *next)) {
        // A rest with no room is the note before it holding on a little.
        dropped += events[i].value != SLOT_REST;
        continue;
      }
    }
    NoteCell& cell = song.m_cells[static_cast<std::size_t>(index / kSlotsPerCell)];
    const int slot = index % kSlotsPerCell;
    cell.pitch[slot] = events[i].value;
    song.m_marks.At(index / kSlotsPerCell, slot) = events[i].marks;
    std::memset(cell.lyric[slot], 0, kLyricFieldSize);
    if (events[i].value >= 0 && !events[i].lyric.empty()) {
      PutText(cell.lyric[slot], events[i].lyric);
    }
    if (events[i].value >= 0) {
      syllables.push_back({index, events[i].syllable});
    }
    previous = index;
  }
  if (dropped > 0) {
    notices.push_back(Ui::Format(Ui::Tr("前の音符と同じ位置になるほど短い音符 %1 個を省きました。"),
                                 {std::to_string(dropped)}));
  }
  // The song starts with a rest when the melody does not, and a rest goes on
  // over a bar line by being written again, as the input tool writes it.
  std::int32_t current = SLOT_REST;
  for (int c = 0; c < cells; ++c) {
    NoteCell& cell = song.m_cells[static_cast<std::size_t>(c)];
    if (song.IsFirstCellOfMeasure(c) && cell.pitch[0] == SLOT_HOLD && current == SLOT_REST) {
      cell.pitch[0] = SLOT_REST;
    }
    for (std::int32_t v : cell.pitch) {
      if (v >= SLOT_REST) {
        current = v;
      }
    }
  }

  // A rest that carries a mark or a call starts where the file starts it.
  for (const MarkedRest& rest : melody.rests) {
    const std::optional<int> at = place(songBeats(rest.onset));
    if (!at || !RestAt(song, *at)) {
      continue;
    }
    song.m_cells[static_cast<std::size_t>(*at / kSlotsPerCell)].pitch[*at % kSlotsPerCell] =
        SLOT_REST;
    song.m_marks.At(*at / kSlotsPerCell, *at % kSlotsPerCell) = rest.marks;
    if (rest.syllable) {
      syllables.push_back({*at, rest.syllable});
    }
  }

  // Repeat signs and endings go to the measure they were given inside.
  for (const MeasureMarkAt& mark : melody.measureMarks) {
    const std::int64_t measure = songBeats(mark.inside).Floor() / bpm;
    if (measure < 0 || measure >= measures || measure >= kMarkMeasureCount) {
      continue;
    }
    MeasureMarks& to = song.m_marks.measures[static_cast<std::size_t>(measure)];
    to.flags |= mark.marks.flags;
    to.repeatCount = std::max(to.repeatCount, mark.marks.repeatCount);
    to.ending = mark.marks.ending != 0 ? mark.marks.ending : to.ending;
  }

  // Chords: the one in force at each beat, and a change at its middle. The
  // texts are kept as read and converted once a beat has its last one: a
  // conversion per symbol made a file of many symbols take seconds.
  std::vector<std::string_view> atStart(static_cast<std::size_t>(beatCount));
  std::vector<std::string_view> atMiddle(static_cast<std::size_t>(beatCount));
  for (const ChordSymbol& c : melody.chords) {
    const Rational at = songBeats(c.onset);
    if (at < Rational(0)) {
      continue;
    }
    const std::int64_t halves = at.RoundTo(2);
    const std::int64_t b = halves / 2;
    if (b >= beatCount) {
      continue;
    }
    (halves % 2 == 0 ? atStart : atMiddle)[static_cast<std::size_t>(b)] = c.text;
  }
  // Beats before the first symbol take it: an accompaniment starts with
  // the chord its first bar names, pick-up or not.
  std::string inForce;
  for (int b = 0; b < beatCount && inForce.empty(); ++b) {
    const std::string_view first = !atStart[static_cast<std::size_t>(b)].empty()
                                       ? atStart[static_cast<std::size_t>(b)]
                                       : atMiddle[static_cast<std::size_t>(b)];
    inForce = first.empty() ? std::string() : Utf8ToCp932Lenient(first);
  }
  for (int b = 0; b < beatCount; ++b) {
    BeatChord& chord = song.m_beatChords[static_cast<std::size_t>(b)];
    const std::string_view startText = atStart[static_cast<std::size_t>(b)];
    const std::string_view middleText = atMiddle[static_cast<std::size_t>(b)];
    const std::string start = startText.empty() ? std::string() : Utf8ToCp932Lenient(startText);
    const std::string middle = middleText.empty() ? std::string() : Utf8ToCp932Lenient(middleText);
    if (!start.empty()) {
      inForce = start;
    }
    if (!inForce.empty()) {
      SetFieldText(chord.chord, inForce);
    }
    if (!middle.empty() && middle != inForce) {
      SetFieldText(chord.chordMid, middle);
      inForce = middle;
    }
  }

  double tempo = melody.tempo.value_or(kDefaultTempo) * k.ToDouble();
  song.m_info.tempo = static_cast<std::int32_t>(
      std::clamp(std::lround(tempo), static_cast<long>(kMinTempo), static_cast<long>(kMaxTempo)));
  PutText(song.m_info.title, melody.title);
  PutText(song.m_info.composer, melody.composer);
  PutText(song.m_info.lyricist, melody.lyricist);
  song.UpdatePitchRange();
  if (melody.tabOpen) {
    StoreTabTuning(song, *melody.tabOpen, melody.fifths.value_or(0));
    if (melody.syllableLine) {
      KeepSyllables(song, *melody.tabOpen, syllables);
    }
  }
  return result;
}

int FitIntoPlayableRange(CSongData& song, const OpenStrings& open) {
  const std::int32_t lowest = open[0];
  const std::int32_t highest = open[2] + kMaxPosition - 1;
  int moved = 0;
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      std::int32_t& v = song.m_cells[static_cast<std::size_t>(c)].pitch[s];
      if (v < 0) {
        continue;
      }
      std::int32_t p = v;
      while (p < lowest && p + 12 <= kMaxPitch) {
        p += 12;
      }
      while (p > highest && p - 12 >= 0) {
        p -= 12;
      }
      if (p != v) {
        // A two-string note moves as a whole, within what MIDI can say.
        for (std::uint8_t& together : song.m_marks.At(c, s).together) {
          if (together != kNoPitch) {
            together = static_cast<std::uint8_t>(std::clamp(together + (p - v), 0, kMaxPitch));
          }
        }
        v = p;
        ++moved;
      }
    }
  }
  song.UpdatePitchRange();
  return moved;
}

}  // namespace kumoito::import
