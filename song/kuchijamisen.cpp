#include "song/kuchijamisen.h"

#include <array>

#include "common/sjis.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

// [row][string]: rows down-stroke open, stopped, scooped or plucked open,
// stopped; then the two together rows.
constexpr std::array<std::array<std::string_view, 3>, 4> kSyllableTexts = {{
    {"ドン", "トン", "テン"},
    {"ツン", "ツン", "チン"},
    {"ロン", "ロン", "レン"},
    {"ルン", "ルン", "リン"},
}};
constexpr std::string_view kTogetherOpen = "シャン";
constexpr std::string_view kTogetherStopped = "チャン";

struct Syllables {
  std::array<std::array<std::string, 3>, 4> single;
  std::string togetherOpen;
  std::string togetherStopped;
};

Syllables MakeSyllables() {
  Syllables s;
  for (std::size_t row = 0; row < kSyllableTexts.size(); ++row) {
    for (std::size_t string = 0; string < 3; ++string) {
      s.single[row][string] = Utf8ToCp932(kSyllableTexts[row][string]).value_or("");
    }
  }
  s.togetherOpen = Utf8ToCp932(kTogetherOpen).value_or("");
  s.togetherStopped = Utf8ToCp932(kTogetherStopped).value_or("");
  return s;
}

const Syllables kSyllables = MakeSyllables();

bool IsSlide(Technique t) {
  return t == Technique::kSuriUp || t == Technique::kSuriDown;
}

// Whether the sounding slot before (cell, slot), past holds and unused
// slots, is a note that slides on.
bool SlideLeadsInto(const CSongData& song, int cell, int slot) {
  for (int i = SongMarks::Slot(cell, slot) - 1; i >= 0; --i) {
    const std::int32_t v =
        song.m_cells[static_cast<std::size_t>(i / kSlotsPerCell)].pitch[i % kSlotsPerCell];
    if (v == SLOT_HOLD || v == SLOT_NONE) {
      continue;
    }
    return v >= 0 && IsSlide(song.m_marks.notes[static_cast<std::size_t>(i)].technique);
  }
  return false;
}

}  // namespace

std::string_view RuleSyllable(const SyllableNote& note) {
  if (note.slideArrival) {
    return {};
  }
  if (note.together) {
    return note.stopped || note.togetherStopped ? kSyllables.togetherStopped
                                                : kSyllables.togetherOpen;
  }
  const bool scooped = note.technique == Technique::kSukui ||
                       note.technique == Technique::kHajiki || note.technique == Technique::kUchi;
  const std::size_t row = (scooped ? 2 : 0) + (note.stopped ? 1 : 0);
  const std::size_t string = static_cast<std::size_t>(note.string < 0   ? 0
                                                      : note.string > 2 ? 2
                                                                        : note.string);
  return kSyllables.single[row][string];
}

SyllableNote SyllableNoteAt(const CSongData& song, const PitchPlaceTable& places,
                            const OpenStrings& open, int cell, int slot) {
  SyllableNote note;
  const std::int32_t value = song.m_cells[static_cast<std::size_t>(cell)].pitch[slot];
  if (value < 0 || value > kMaxPitch) {
    return note;
  }
  const NoteMarks& marks = song.m_marks.At(cell, slot);
  const PitchPlace place = PlaceOfMarkedNote(places, open, value, marks);
  note.string = place.string;
  note.stopped = place.position > 1;
  note.technique = marks.technique;
  int alsoTaken = -1;
  for (const std::uint8_t pitch : marks.together) {
    if (pitch == kNoPitch) {
      continue;
    }
    if (const std::optional<PitchPlace> other =
            PlaceTogether(places, open, pitch, place.string, alsoTaken)) {
      note.together = true;
      note.togetherStopped = note.togetherStopped || other->position > 1;
      alsoTaken = other->string;
    }
  }
  note.slideArrival = SlideLeadsInto(song, cell, slot);
  return note;
}

std::string SlotSyllable(const CSongData& song, const PitchPlaceTable& places,
                         const OpenStrings& open, int cell, int slot) {
  if (cell < 0 || cell >= kMaxCells || slot < 0 || slot >= kSlotsPerCell) {
    return {};
  }
  const std::int32_t value = song.m_cells[static_cast<std::size_t>(cell)].pitch[slot];
  const SyllableOverride& own = song.m_marks.SyllableAt(cell, slot);
  if (!own.Empty() && (value >= 0 || value == SLOT_REST)) {
    return std::string(own.Text());
  }
  if (value < 0 || value > kMaxPitch) {
    return {};
  }
  return std::string(RuleSyllable(SyllableNoteAt(song, places, open, cell, slot)));
}

}  // namespace kumoito
