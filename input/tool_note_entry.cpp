#include "input/tool_note_entry.h"

#include <algorithm>
#include <array>
#include <utility>

#include "song/edit_history.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

constexpr int kOtherNoteValueSixteenths = 4;

bool SameSlot(const std::optional<SlotAddress>& a, const std::optional<SlotAddress>& b) {
  return a.has_value() == b.has_value() && (!a || (a->cell == b->cell && a->slot == b->slot));
}

// The marks that put pitch, and low with it, on two strings that can play
// them: the string placement gives pitch first, then the others. None when
// no pair of strings can.
std::optional<NoteMarks> TogetherMarks(const OpenStrings& open, int pitch, int low) {
  const PitchPlaceTable places = BuildPitchPlaces(open);
  const int automatic = places[pitch].string;
  std::array<int, kStringCount> order{automatic, 0, 0};
  for (int s = 0, k = 1; s < kStringCount; ++s) {
    if (s != automatic) {
      order[static_cast<std::size_t>(k++)] = s;
    }
  }
  for (const int string : order) {
    if (string != automatic && !PlaceOnString(open, pitch, string)) {
      continue;
    }
    const auto other = PlaceTogether(places, open, low, string);
    if (other && PlaceOnString(open, low, other->string)) {
      NoteMarks marks;
      marks.string = string == automatic ? 0 : static_cast<std::uint8_t>(string + 1);
      marks.together[0] = static_cast<std::uint8_t>(low);
      return marks;
    }
  }
  return std::nullopt;
}

}  // namespace

ToolNoteEntry::ToolNoteEntry(CInputDlg& tool, EditHistory* history, std::function<void()> changed)
    : m_tool(tool), m_history(history), m_changed(std::move(changed)) {}

void ToolNoteEntry::EnterNote(int pitch) {
  Enter(pitch, std::nullopt);
}

void ToolNoteEntry::EnterTogether(int low, int high) {
  if (low == high) {
    Enter(high, std::nullopt);
    return;
  }
  Enter(std::max(low, high), std::min(low, high));
}

int ToolNoteEntry::NoteSixteenths() const {
  const int row = m_tool.NoteValueIndex();
  return row >= 0 && row < kNoteValueOther ? row + 1 : kOtherNoteValueSixteenths;
}

std::optional<int> ToolNoteEntry::TargetSixteenth() const {
  const std::optional<SlotAddress> slot = m_tool.EditedSlot();
  if (m_next && SameSlot(slot, m_toolSlotAtNext)) {
    return m_next;
  }
  if (!slot) {
    return std::nullopt;
  }
  return slot->cell * 2 + slot->slot;
}

void ToolNoteEntry::Enter(int pitch, std::optional<int> together) {
  CSongData* song = m_tool.Song();
  const std::optional<int> target = TargetSixteenth();
  if (song == nullptr || !target || pitch < 0 || pitch > kMaxPitch ||
      song->m_beatsPerMeasure < kMinBeatsPerMeasure ||
      song->m_beatsPerMeasure > kMaxBeatsPerMeasure) {
    return;
  }
  const int length = NoteSixteenths();
  const int perMeasure = 4 * song->m_beatsPerMeasure;
  // The song takes in the whole note, when there is room for it.
  const int measuresNeeded = (*target + length + perMeasure - 1) / perMeasure;
  if (measuresNeeded > song->MaxMeasureCount()) {
    return;
  }
  if (m_history != nullptr) {
    m_history->BeginEdit(
        *song, Ui::Format(Ui::Tr("小節 %1 の音"), {std::to_string(*target / perMeasure + 1)}));
  }
  if (measuresNeeded > song->m_measureCount) {
    song->SetMeasureCount(measuresNeeded);
  }
  WriteNote(*target, length, pitch, together);
  if (m_history != nullptr) {
    m_history->CommitEdit(*song);
  }
  m_tool.SyncWithSong();
  MoveTo(*target + length);
  if (m_changed) {
    m_changed();
  }
}

void ToolNoteEntry::WriteNote(int at, int length, int pitch, std::optional<int> together) {
  CSongData& song = *m_tool.Song();
  const int end = at + length;
  for (int i = at; i < end; ++i) {
    NoteCell& cell = song.m_cells[i / 2];
    cell.pitch[i % 2] = i == at ? pitch : SLOT_HOLD;
    song.m_marks.At(i / 2, i % 2) = NoteMarks{};
    song.m_marks.SyllableAt(i / 2, i % 2) = SyllableOverride{};
    // A cell written over is a cell of two sixteenths again.
    cell.pitch[2] = SLOT_NONE;
    song.m_marks.At(i / 2, 2) = NoteMarks{};
    song.m_marks.SyllableAt(i / 2, 2) = SyllableOverride{};
  }
  // What held on past the note is silent now, not a longer note.
  if (end < 2 * song.CellCount() && song.m_cells[end / 2].pitch[end % 2] == SLOT_HOLD) {
    song.m_cells[end / 2].pitch[end % 2] = SLOT_REST;
  }
  if (together) {
    const auto& intervals = kTuningTable[ValidTuningIndex(m_tool.Tuning())].intervals;
    const OpenStrings open{m_tool.BasePitch() + intervals[0], m_tool.BasePitch() + intervals[1],
                           m_tool.BasePitch() + intervals[2]};
    if (const std::optional<NoteMarks> marks = TogetherMarks(open, pitch, *together)) {
      song.m_marks.At(at / 2, at % 2) = *marks;
    }
  }
}

void ToolNoteEntry::MoveTo(int sixteenth) {
  const CSongData& song = *m_tool.Song();
  const int perMeasure = 4 * song.m_beatsPerMeasure;
  const int measure = sixteenth / perMeasure + 1;
  const int beat = sixteenth % perMeasure + 1;
  m_next.reset();
  if (beat <= kInputBeatPositions && m_tool.SelectPosition(measure, beat)) {
    return;
  }
  m_next = sixteenth;
  m_toolSlotAtNext = m_tool.EditedSlot();
}

}  // namespace kumoito
