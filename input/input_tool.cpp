#include "input/input_tool.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "common/message_box.h"
#include "common/sjis.h"
#include "song/edit_history.h"
#include "song/kuchijamisen.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

bool UsableBeats(const CSongData& song) {
  return song.m_beatsPerMeasure >= kMinBeatsPerMeasure &&
         song.m_beatsPerMeasure <= kMaxBeatsPerMeasure;
}

// The last measure whose first cell still lies inside the arrays. At full
// capacity the measure after the song's end does not, so the range that
// reaches one measure beyond the end is cut here.
int LastAddressableMeasure(const CSongData& song) {
  return (kMaxCells - 1) / (2 * song.m_beatsPerMeasure) + 1;
}

}  // namespace

std::string MeasuresRemovedText(int measuresWithNotes) {
  return Ui::Format(Ui::Tr("小節数を減らしたため、音のある小節を %1 個削除しました。"
                           "元に戻す (Ctrl+Z) で戻せます。"),
                    {std::to_string(measuresWithNotes)});
}

CInputDlg::CInputDlg(std::function<void()> postRedraw) : m_postRedraw(std::move(postRedraw)) {
  m_open = OpenStringPitches(0, 0);
  m_places = BuildPitchPlaces(m_open);
}

void CInputDlg::SetStateChangedCallback(std::function<void()> callback) {
  m_stateChanged = std::move(callback);
}

void CInputDlg::PostRedraw() {
  if (m_postRedraw) {
    m_postRedraw();
  }
}

void CInputDlg::SetOwnerCallback(std::function<void()> callback) {
  m_ownerCallback = std::move(callback);
}

void CInputDlg::Changed() {
  if (m_stateChanged) {
    m_stateChanged();
  }
  if (m_ownerCallback) {
    m_ownerCallback();
  }
}

void CInputDlg::BeginEdit(std::string_view name) {
  if (m_history != nullptr && m_song != nullptr) {
    m_history->BeginEdit(*m_song, name);
  }
}

void CInputDlg::CommitEdit() {
  if (m_history != nullptr && m_song != nullptr) {
    m_history->CommitEdit(*m_song);
  }
}

int CInputDlg::MeasureCountHigh() const {
  // A longer song (a file, an import) shows its own count, and its arrow
  // takes off one measure, not all those beyond the usual limit.
  if (m_song == nullptr) {
    return kInputMaxMeasureCount;
  }
  return std::max(kInputMaxMeasureCount,
                  std::min<int>(m_song->m_measureCount, m_song->MaxMeasureCount()));
}

std::optional<SlotAddress> CInputDlg::EditedSlot() const {
  if (m_song == nullptr) {
    return std::nullopt;
  }
  return AddressOf(*m_song, m_measure, m_beat);
}

int CInputDlg::NoteValueRow(int sixteenths) {
  if (sixteenths < 1 || sixteenths > kNoteValueOther) {
    return kNoteValueOther;
  }
  return sixteenths - 1;
}

int CInputDlg::MeasuresWithNotes(const CSongData& song, int from, int to) {
  if (!UsableBeats(song)) {
    return 0;
  }
  const int cellsPerMeasure = 2 * song.m_beatsPerMeasure;
  int count = 0;
  for (int m = std::max(from, 0); m < to; ++m) {
    bool note = false;
    for (int c = m * cellsPerMeasure; c < (m + 1) * cellsPerMeasure && c < kMaxCells && !note;
         ++c) {
      for (const std::int32_t v : song.m_cells[c].pitch) {
        note = note || v >= 0;
      }
    }
    count += note ? 1 : 0;
  }
  return count;
}

std::optional<SlotAddress> CInputDlg::AddressOf(const CSongData& song, int measureNumber,
                                                int beatPosition) {
  if (!UsableBeats(song) || measureNumber < 1 || beatPosition < 1 ||
      beatPosition > kInputBeatPositions) {
    return std::nullopt;
  }
  // Two beat positions share a half-beat cell whatever the beats per measure,
  // so in a short measure the last positions reach into the next measure.
  const std::int64_t cell =
      static_cast<std::int64_t>(measureNumber - 1) * song.m_beatsPerMeasure * 2 +
      (beatPosition - 1) / 2;
  if (cell >= kMaxCells) {
    return std::nullopt;
  }
  return SlotAddress{static_cast<int>(cell), (beatPosition - 1) % 2};
}

void CInputDlg::Initialize() {
  m_song = nullptr;
  m_type = kTypePluck;
  m_string = 0;
  m_kandokoro = 0;
  m_noteValue = 0;
  m_listsEnabled = true;
  m_beat = 1;
  m_measure = 1;
  m_measureLow = 1;
  m_measureHigh = 1;
  m_requestedHigh = 1;
  m_measureCount = kInputStartMeasureCount;
  m_initialized = true;
  Changed();
}

void CInputDlg::SetSong(CSongData* song) {
  m_song = song;
  if (m_song != nullptr) {
    m_measureCount =
        std::clamp<int>(m_song->m_measureCount, kInputMinMeasureCount, MeasureCountHigh());
  }
  ClampPosition();
  Changed();
}

void CInputDlg::SyncWithSong() {
  if (m_song == nullptr) {
    return;
  }
  m_measureCount =
      std::clamp<int>(m_song->m_measureCount, kInputMinMeasureCount, MeasureCountHigh());
  m_requestedHigh = std::max(m_measureLow, m_song->m_measureCount + 1);
  ClampPosition();
  ShowPosition(m_beat - 1, m_measure - 1);
  Changed();
}

void CInputDlg::SetMeasureRange(int low, int high) {
  m_measureLow = std::max(1, low);
  m_requestedHigh = std::max(m_measureLow, high);
  ClampPosition();
  Changed();
}

void CInputDlg::ClampPosition() {
  int high = m_requestedHigh;
  if (m_song != nullptr && UsableBeats(*m_song)) {
    high = std::max(m_measureLow, std::min(high, LastAddressableMeasure(*m_song)));
  }
  m_measureHigh = high;
  m_measure = std::clamp(m_measure, m_measureLow, m_measureHigh);
  m_beat = std::clamp(m_beat, 1, kInputBeatPositions);
  if (m_song != nullptr) {
    while (m_beat > 1 && !AddressOf(*m_song, m_measure, m_beat)) {
      --m_beat;
    }
  }
}

void CInputDlg::SetStringState(std::int32_t basePitch, std::int32_t tuning) {
  // Stored before the note is shown: the owner has already moved its own
  // strings, and the note must be placed on the strings it now draws.
  m_basePitch = basePitch;
  m_tuning = tuning;
  const auto& intervals = kTuningTable[ValidTuningIndex(tuning)].intervals;
  m_open = {basePitch + intervals[0], basePitch + intervals[1], basePitch + intervals[2]};
  m_places = BuildPitchPlaces(m_open);
  if (m_song != nullptr) {
    ShowPosition(m_beat - 1, m_measure - 1);
  }
  Changed();
}

bool CInputDlg::SelectPosition(int measureNumber, int beatPosition) {
  if (measureNumber < m_measureLow || measureNumber > m_measureHigh || beatPosition < 1 ||
      beatPosition > kInputBeatPositions) {
    return false;
  }
  m_measure = measureNumber;
  m_beat = beatPosition;
  ClampPosition();
  ShowPosition(m_beat - 1, m_measure - 1);
  Changed();
  return true;
}

void CInputDlg::ShowPosition(int beatIndex, int measureIndex) {
  if (m_song == nullptr) {
    return;
  }
  const auto address = AddressOf(*m_song, measureIndex + 1, beatIndex + 1);
  if (!address) {
    return;
  }
  const std::int32_t v = m_song->m_cells[address->cell].pitch[address->slot];
  ShowMarks(*address, v);
  if (v == SLOT_HOLD || v == SLOT_REST) {
    m_type = v == SLOT_HOLD ? kTypeHold : kTypeRest;
    m_listsEnabled = false;
  } else if (v >= 0 && v <= kMaxPitch) {
    m_type = kTypePluck;
    const PitchPlace place =
        PlaceOfMarkedNote(m_places, m_open, v, m_song->m_marks.At(address->cell, address->slot));
    m_string = std::clamp(place.string, 0, kStringCount - 1);
    m_kandokoro = std::clamp(place.position, 0, static_cast<int>(kInputKandokoroItems.size()) - 1);
    m_listsEnabled = true;
    const int cellsPerMeasure = 2 * m_song->m_beatsPerMeasure;
    const double length = m_song->NoteLength(address->cell % cellsPerMeasure,
                                             address->cell / cellsPerMeasure, address->slot);
    // NoteLength counts eighths in halves: twice it is the sixteenths.
    m_noteValue = NoteValueRow(static_cast<int>(std::lround(2 * length)));
  }
  // Anything else (the unused third slot's value) leaves the lists as they are.
  Changed();
}

void CInputDlg::OnMeasureCountChanged(int count) {
  if (!m_initialized) {
    return;
  }
  if (count < kInputMinMeasureCount || count > MeasureCountHigh()) {
    Changed();
    return;
  }
  m_measureCount = count;
  int removed = 0;
  if (m_song != nullptr) {
    const int before = m_song->m_measureCount;
    removed = MeasuresWithNotes(*m_song, count, before);
    BeginEdit(Ui::Tr("小節数"));
    m_song->SetMeasureCount(count);
    CommitEdit();
    m_measureCount =
        std::clamp<int>(m_song->m_measureCount, kInputMinMeasureCount, MeasureCountHigh());
    // The measures the tool reaches follow the song, one beyond its end.
    m_requestedHigh = std::max(m_measureLow, m_song->m_measureCount + 1);
    ClampPosition();
    ShowPosition(m_beat - 1, m_measure - 1);
    PostRedraw();
  }
  Changed();
  if (removed > 0) {
    ShowMessageBox(MeasuresRemovedText(removed));
  }
}

void CInputDlg::OnMeasureChanged(int measureNumber) {
  if (!m_initialized) {
    return;
  }
  if (measureNumber < m_measureLow || measureNumber > m_measureHigh) {
    Changed();
    return;
  }
  m_measure = measureNumber;
  ClampPosition();
  ShowPosition(m_beat - 1, m_measure - 1);
  m_beat = 1;
  ShowPosition(m_beat - 1, m_measure - 1);
  Changed();
}

void CInputDlg::OnBeatChanged(int beatPosition) {
  if (!m_initialized) {
    return;
  }
  if (beatPosition < 1 || beatPosition > kInputBeatPositions) {
    Changed();
    return;
  }
  m_beat = beatPosition;
  ClampPosition();
  ShowPosition(m_beat - 1, m_measure - 1);
  Changed();
}

void CInputDlg::OnTypeSelected(int index) {
  if (!m_initialized || index < 0 || index >= static_cast<int>(kInputTypeItems.size()) ||
      m_song == nullptr || !AddressOf(*m_song, m_measure, m_beat)) {
    Changed();
    return;
  }
  // 発弦 writes twice (the first pitch, then the one its lists give): one step.
  BeginEdit(NoteStepName());
  if (index == kTypePluck) {
    WriteSlot(kInputFirstPitch);
    ShowPosition(m_beat - 1, m_measure - 1);
    WriteSelectedNote();
  } else {
    WriteSlot(index == kTypeHold ? SLOT_HOLD : SLOT_REST);
    ShowPosition(m_beat - 1, m_measure - 1);
    PostRedraw();
  }
  CommitEdit();
  Changed();
}

void CInputDlg::OnStringSelected(int index) {
  if (!m_initialized || !m_listsEnabled || index < 0 || index >= kStringCount) {
    Changed();
    return;
  }
  m_string = index;
  BeginEdit(NoteStepName());
  WriteSelectedNote();
  CommitEdit();
  Changed();
}

void CInputDlg::OnKandokoroSelected(int index) {
  if (!m_initialized || !m_listsEnabled || index < 0 ||
      index >= static_cast<int>(kInputKandokoroItems.size())) {
    Changed();
    return;
  }
  m_kandokoro = index;
  BeginEdit(NoteStepName());
  WriteSelectedNote();
  CommitEdit();
  Changed();
}

std::string CInputDlg::NoteStepName() const {
  // The measure the slot lies in: in a short measure the last beat
  // positions reach into the next one.
  int measure = m_measure;
  if (m_song != nullptr && UsableBeats(*m_song)) {
    if (const auto address = AddressOf(*m_song, m_measure, m_beat)) {
      measure = address->cell / (2 * m_song->m_beatsPerMeasure) + 1;
    }
  }
  return Ui::Format(Ui::Tr("小節 %1 の音"), {std::to_string(measure)});
}

void CInputDlg::WriteSlot(std::int32_t value) {
  if (m_song == nullptr) {
    return;
  }
  if (const auto address = AddressOf(*m_song, m_measure, m_beat)) {
    m_song->m_cells[address->cell].pitch[address->slot] = value;
  }
}

void CInputDlg::WriteSelectedNote() {
  if (m_song == nullptr || !AddressOf(*m_song, m_measure, m_beat)) {
    return;
  }
  const auto& intervals = kTuningTable[ValidTuningIndex(m_tuning)].intervals;
  const std::int32_t pitch =
      std::clamp(m_basePitch + intervals[m_string] + m_kandokoro - 1, 0, kMaxPitch);
  WriteSlot(pitch);
  // The note stays on the string it was written on, where placement would
  // put it on another.
  if (NoteMarks* marks = EditedMarks()) {
    marks->string =
        m_places[pitch].string == m_string ? 0 : static_cast<std::uint8_t>(m_string + 1);
  }
  PostRedraw();
}

NoteMarks* CInputDlg::EditedMarks() const {
  if (m_song == nullptr) {
    return nullptr;
  }
  const auto address = AddressOf(*m_song, m_measure, m_beat);
  return address ? &m_song->m_marks.At(address->cell, address->slot) : nullptr;
}

MeasureMarks* CInputDlg::EditedMeasure() const {
  if (m_song == nullptr || !UsableBeats(*m_song)) {
    return nullptr;
  }
  const auto address = AddressOf(*m_song, m_measure, m_beat);
  if (!address) {
    return nullptr;
  }
  const int measure = address->cell / (2 * m_song->m_beatsPerMeasure);
  return measure < kMarkMeasureCount ? &m_song->m_marks.measures[static_cast<std::size_t>(measure)]
                                     : nullptr;
}

void CInputDlg::ShowMarks(const SlotAddress& address, std::int32_t value) {
  const NoteMarks& marks = m_song->m_marks.At(address.cell, address.slot);
  m_technique = static_cast<int>(marks.technique);
  m_finger = marks.finger;
  m_togetherString = 0;
  m_togetherKandokoro = 0;
  if (value >= 0 && marks.together[0] != kNoPitch) {
    const PitchPlace own = PlaceOfMarkedNote(m_places, m_open, value, marks);
    if (const auto other = PlaceTogether(m_places, m_open, marks.together[0], own.string)) {
      m_togetherString = other->string + 1;
      m_togetherKandokoro =
          std::clamp(other->position, 0, static_cast<int>(kInputKandokoroItems.size()) - 1);
    }
  }
  const SyllableOverride& own = m_song->m_marks.SyllableAt(address.cell, address.slot);
  m_syllableEnabled = value >= 0 || value == SLOT_REST;
  m_syllable = !m_syllableEnabled || own.Empty() ? std::string()
               : own.length == 0                 ? std::string(kSilentSyllable)
                                                 : Cp932ToUtf8Lenient(own.Text());
  m_ruleSyllable = value >= 0 ? Cp932ToUtf8Lenient(RuleSyllable(SyllableNoteAt(
                                    *m_song, m_places, m_open, address.cell, address.slot)))
                              : std::string();
  m_repeat = kRepeatNone;
  m_ending = 0;
  const int measureIndex = address.cell / (2 * m_song->m_beatsPerMeasure);
  if (measureIndex < kMarkMeasureCount) {
    const MeasureMarks* measure = &m_song->m_marks.measures[static_cast<std::size_t>(measureIndex)];
    const bool start = (measure->flags & kRepeatStart) != 0;
    const bool end = (measure->flags & kRepeatEnd) != 0;
    m_repeat = (measure->flags & kMeasureRepeat) != 0 ? kRepeatMeasureRow
               : start && end                         ? kRepeatBothRow
               : start                                ? kRepeatStartRow
               : end                                  ? kRepeatEndRow
                                                      : kRepeatNone;
    m_ending = std::min<int>(measure->ending, static_cast<int>(kInputEndingItems.size()) - 1);
  }
}

void CInputDlg::ChangeMarks(std::string_view name, const std::function<void()>& change) {
  BeginEdit(name);
  change();
  CommitEdit();
  ShowPosition(m_beat - 1, m_measure - 1);
  PostRedraw();
}

void CInputDlg::OnTechniqueSelected(int index) {
  NoteMarks* marks = m_initialized ? EditedMarks() : nullptr;
  const auto address = m_song ? AddressOf(*m_song, m_measure, m_beat) : std::nullopt;
  const std::int32_t value =
      address ? m_song->m_cells[address->cell].pitch[address->slot] : SLOT_NONE;
  // A technique needs a note; a rest takes ケシ alone.
  const bool allowed = value >= 0 || (value == SLOT_REST &&
                                      (index == 0 || index == static_cast<int>(Technique::kKeshi)));
  if (marks == nullptr || index < 0 || index >= kTechniqueCount || !allowed) {
    Changed();
    return;
  }
  ChangeMarks(Ui::Tr("奏法"), [&] { marks->technique = static_cast<Technique>(index); });
}

void CInputDlg::OnFingerSelected(int index) {
  NoteMarks* marks = m_initialized && m_listsEnabled ? EditedMarks() : nullptr;
  if (marks == nullptr || index < 0 || index > kMaxFinger) {
    Changed();
    return;
  }
  ChangeMarks(Ui::Tr("指"), [&] { marks->finger = static_cast<std::uint8_t>(index); });
}

void CInputDlg::OnTogetherChanged(int string, int kandokoro) {
  NoteMarks* marks = m_initialized && m_listsEnabled ? EditedMarks() : nullptr;
  const bool validNote =
      string == 0 || (kandokoro >= 1 && kandokoro < static_cast<int>(kInputKandokoroItems.size()) &&
                      string != m_string + 1);
  if (marks == nullptr || string < 0 || string > kStringCount || !validNote) {
    Changed();  // a second note goes on another string, and is no rest
    return;
  }
  const std::int32_t pitch = std::clamp(
      string == 0 ? 0 : m_open[static_cast<std::size_t>(string - 1)] + kandokoro - 1, 0, kMaxPitch);
  ChangeMarks(Ui::Tr("重音"), [&] {
    marks->together = {string == 0 ? kNoPitch : static_cast<std::uint8_t>(pitch), kNoPitch};
  });
}

void CInputDlg::OnRepeatSelected(int index) {
  MeasureMarks* measure = m_initialized ? EditedMeasure() : nullptr;
  if (measure == nullptr || index < 0 || index >= static_cast<int>(kInputRepeatItems.size())) {
    Changed();
    return;
  }
  static constexpr std::uint8_t kFlags[] = {0, kRepeatStart, kRepeatEnd, kRepeatStart | kRepeatEnd,
                                            kMeasureRepeat};
  ChangeMarks(Ui::Tr("反復"), [&] { measure->flags = kFlags[index]; });
}

void CInputDlg::OnEndingSelected(int index) {
  MeasureMarks* measure = m_initialized ? EditedMeasure() : nullptr;
  if (measure == nullptr || index < 0 || index >= static_cast<int>(kInputEndingItems.size())) {
    Changed();
    return;
  }
  ChangeMarks(Ui::Tr("括弧"), [&] { measure->ending = static_cast<std::uint8_t>(index); });
}

bool CInputDlg::OnSyllableEdited(std::string_view utf8) {
  const auto address =
      m_initialized && m_song ? AddressOf(*m_song, m_measure, m_beat) : std::nullopt;
  const std::int32_t value =
      address ? m_song->m_cells[address->cell].pitch[address->slot] : SLOT_NONE;
  SyllableOverride wanted;
  const bool silent = utf8 == kSilentSyllable;
  const std::optional<std::string> cp932 =
      silent ? std::optional<std::string>("") : Utf8ToCp932(utf8);
  const bool valid = cp932 && (utf8.empty() || wanted.Assign(*cp932));
  if (!address || (value < 0 && value != SLOT_REST) || !valid) {
    Changed();  // the box shows what the slot holds again
    return false;
  }
  SyllableOverride& own = m_song->m_marks.SyllableAt(address->cell, address->slot);
  if (own == wanted) {
    Changed();
    return true;
  }
  ChangeMarks(Ui::Tr("口三味線"), [&] { own = wanted; });
  return true;
}

}  // namespace kumoito
