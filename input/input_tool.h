#pragma once
// CInputDlg: the logic of the note input tool. It holds the position (measure
// number, beat position in sixteenths) and what the tool's seven controls show,
// writes notes, holds and rests into the current song (each change one step of
// the owner's edit history) and asks its owner to redraw the score. The Qt
// face mirrors this state and forwards user changes.
//
// Thread-safety: GUI thread only, like the song it edits.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/ui_text.h"
#include "song/tuning.h"

namespace kumoito {

class CSongData;
class EditHistory;

// Control numbers of the tool's window (its widgets carry them as names).
inline constexpr int kIdcInputKandokoro = 1062;
inline constexpr int kIdcInputNoteValue = 1063;
inline constexpr int kIdcInputMeasure = 1064;
inline constexpr int kIdcInputBeat = 1066;
inline constexpr int kIdcInputString = 1068;
inline constexpr int kIdcInputType = 1069;
inline constexpr int kIdcInputMeasureCount = 1070;
inline constexpr int kIdcInputTechnique = 1071;
inline constexpr int kIdcInputFinger = 1072;
inline constexpr int kIdcInputTogetherString = 1073;
inline constexpr int kIdcInputTogetherKandokoro = 1074;
inline constexpr int kIdcInputRepeat = 1075;
inline constexpr int kIdcInputEnding = 1076;
inline constexpr int kIdcInputSyllable = 1077;

inline constexpr int kInputMinMeasureCount = 1;
inline constexpr int kInputMaxMeasureCount = 128;
inline constexpr int kInputStartMeasureCount = 8;
inline constexpr int kInputBeatPositions = 16;  // sixteenths of a four-beat measure

// Rows of the 種別 list.
inline constexpr int kTypePluck = 0;  // 発弦: a note starts
inline constexpr int kTypeHold = 1;   // 継続
inline constexpr int kTypeRest = 2;   // 休符

// The pitch 発弦 writes before the string and kandokoro lists place it.
inline constexpr std::int32_t kInputFirstPitch = 60;

// List contents (UTF-8), in the order the lists show them.
inline constexpr std::array<std::string_view, 3> kInputTypeItems = {
    Ui::Mark("発弦"), Ui::Mark("継続"), Ui::Mark("休符")};
inline constexpr std::array<std::string_view, kStringCount> kInputStringItems = {"1", "2", "3"};
// The kandokoro list shows the tablature's own names of the positions.
inline constexpr const auto& kInputKandokoroItems = kKandokoroTexts;
// Row n - 1 for a note of n sixteenths up to a whole note; the last row for
// anything longer.
inline constexpr std::array<std::string_view, 17> kInputNoteValueItems = {
    Ui::Mark("(1)16分音符"),
    Ui::Mark("(2)8分音符"),
    Ui::Mark("(3)付点8分音符"),
    Ui::Mark("(4)4分音符"),
    "(5)",
    Ui::Mark("(6)付点4分音符"),
    "(7)",
    Ui::Mark("(8)2分音符"),
    "(9)",
    "(10)",
    "(11)",
    Ui::Mark("(12)付点2分音符"),
    "(13)",
    "(14)",
    "(15)",
    Ui::Mark("(16)全音符"),
    Ui::Mark("その他")};
inline constexpr int kNoteValueOther = 16;
// 奏法: row n is Technique n.
inline constexpr std::array<std::string_view, kTechniqueCount> kInputTechniqueItems = {
    Ui::Mark("なし"), Ui::Mark("スクイ"), Ui::Mark("ハジキ"),     Ui::Mark("ウチ"),
    Ui::Mark("オシ"), Ui::Mark("ケシ"),   Ui::Mark("スリ（上）"), Ui::Mark("スリ（下）")};
// 指: row n is finger n (I, II, III).
inline constexpr std::array<std::string_view, kMaxFinger + 1> kInputFingerItems = {
    Ui::Mark("なし"), "I", "II", "III"};
// 重音: the string of the note struck with it (row 0: none), then its kandokoro.
inline constexpr std::array<std::string_view, kStringCount + 1> kInputTogetherStringItems = {
    Ui::Mark("なし"), "1", "2", "3"};
// 反復 of the measure, and the ending (括弧) it lies under.
inline constexpr int kRepeatNone = 0;
inline constexpr int kRepeatStartRow = 1;
inline constexpr int kRepeatEndRow = 2;
inline constexpr int kRepeatBothRow = 3;
inline constexpr int kRepeatMeasureRow = 4;
inline constexpr std::array<std::string_view, 5> kInputRepeatItems = {
    Ui::Mark("なし"), Ui::Mark("始め ‖:"), Ui::Mark("終わり :‖"), Ui::Mark("始めと終わり"),
    Ui::Mark("前の小節の反復")};
// Typed as a syllable: the slot says nothing, whatever the rule gives.
inline constexpr std::string_view kSilentSyllable = "-";
inline constexpr std::array<std::string_view, 4> kInputEndingItems = {Ui::Mark("なし"), "1", "2",
                                                                      "3"};

// Said when a lower measure count took measures that held notes.
std::string MeasuresRemovedText(int measuresWithNotes);

// Where a position lands in the song's arrays.
struct SlotAddress {
  int cell;  // index into m_cells
  int slot;  // 0 or 1
};

class CInputDlg {
 public:
  // postRedraw asks the owner to redraw the score later (it must not redraw
  // inside the call: the tool may still be changing the song).
  explicit CInputDlg(std::function<void()> postRedraw);
  CInputDlg(const CInputDlg&) = delete;
  CInputDlg& operator=(const CInputDlg&) = delete;

  // Lists on their first rows, beat 1 of measure 1 (range 1..1), 8 measures,
  // no song. Control changes are ignored until it has run.
  void Initialize();
  bool IsInitialized() const { return m_initialized; }

  // From the owner. The song is not owned and must outlive its use here;
  // 小節数 shows its measure count.
  void SetSong(CSongData* song);
  // Every change the tool makes is a step of history (none: not recorded).
  // Not owned.
  void SetHistory(EditHistory* history) { m_history = history; }
  // After the song changed under the tool (undo, redo): 小節数, the measure
  // range and the lists show it again.
  void SyncWithSong();
  // Measure numbers low..high; high is lowered to the last measure that
  // starts inside the song's arrays, and the position is kept inside.
  void SetMeasureRange(int low, int high);
  // Stores the first string's pitch and the tuning, then shows the note at
  // the position (when there is a song) with the strings they give.
  void SetStringState(std::int32_t basePitch, std::int32_t tuning);
  // A score-cell click: measure number and beat position (1-based) become
  // the position and the note there is shown. False, and nothing changes,
  // when either lies outside the tool's ranges.
  bool SelectPosition(int measureNumber, int beatPosition);
  // Shows the slot at beat position index beatIndex + 1 of measure index
  // measureIndex + 1 in the type, string, kandokoro and note-value lists.
  void ShowPosition(int beatIndex, int measureIndex);

  // Control events: a new number or list row chosen by the user. Numbers
  // outside the control's range are ignored (the face then shows the old one).
  void OnMeasureCountChanged(int count);
  void OnMeasureChanged(int measureNumber);
  void OnBeatChanged(int beatPosition);
  void OnTypeSelected(int index);
  void OnStringSelected(int index);
  void OnKandokoroSelected(int index);
  // The marks of the note at the position (a technique on a rest only ケシ)
  // and of its measure; each one step of history.
  void OnTechniqueSelected(int index);
  void OnFingerSelected(int index);
  // string: a row of kInputTogetherStringItems; kandokoro: of the kandokoro
  // list, on that string.
  void OnTogetherChanged(int string, int kandokoro);
  void OnRepeatSelected(int index);
  void OnEndingSelected(int index);
  // 口三味線: the user's syllable (UTF-8) for the note or rest at the
  // position, one step of history. Empty text gives the slot back to the
  // rule; kSilentSyllable makes it say nothing. False, and nothing changed,
  // for a text that is no syllable (not CP932, or over 8 bytes of it) or a
  // position holding neither note nor rest.
  bool OnSyllableEdited(std::string_view utf8);

  // What the controls show.
  int MeasureCount() const { return m_measureCount; }
  // The highest measure count 小節数 offers: 128, or the song's own when
  // it is longer.
  int MeasureCountHigh() const;
  int Measure() const { return m_measure; }
  int MeasureLow() const { return m_measureLow; }
  int MeasureHigh() const { return m_measureHigh; }
  int Beat() const { return m_beat; }
  int TypeIndex() const { return m_type; }
  int StringIndex() const { return m_string; }
  int KandokoroIndex() const { return m_kandokoro; }
  int NoteValueIndex() const { return m_noteValue; }
  int TechniqueIndex() const { return m_technique; }
  int FingerIndex() const { return m_finger; }
  int TogetherStringIndex() const { return m_togetherString; }
  int TogetherKandokoroIndex() const { return m_togetherKandokoro; }
  int RepeatIndex() const { return m_repeat; }
  int EndingIndex() const { return m_ending; }
  // The user's syllable at the position (UTF-8; empty: none), and the
  // rule's for the note there, which the box shows while it is empty.
  const std::string& SyllableText() const { return m_syllable; }
  const std::string& RuleSyllableText() const { return m_ruleSyllable; }
  bool SyllableEnabled() const { return m_syllableEnabled; }
  // The string, kandokoro and note-value lists: off for holds and rests.
  bool ListsEnabled() const { return m_listsEnabled; }
  CSongData* Song() const { return m_song; }
  std::int32_t BasePitch() const { return m_basePitch; }
  std::int32_t Tuning() const { return m_tuning; }

  // Called after every change of what the controls show: the face's, and
  // the owner's, which marks the slot in the score.
  void SetStateChangedCallback(std::function<void()> callback);
  void SetOwnerCallback(std::function<void()> callback);
  // The slot the tool writes; none without a song or outside the arrays.
  std::optional<SlotAddress> EditedSlot() const;

  // The note-value row for a note of this many sixteenths.
  static int NoteValueRow(int sixteenths);
  // Measures from index `from` up to `to` (not included) holding a note.
  static int MeasuresWithNotes(const CSongData& song, int from, int to);

  // The slot a measure number and beat position address, or none when it
  // lies outside the arrays (or the song's beat count is unusable).
  static std::optional<SlotAddress> AddressOf(const CSongData& song, int measureNumber,
                                              int beatPosition);

 private:
  void WriteSlot(std::int32_t value);
  // The marks of the slot at the position, and of its measure; null when
  // there is none.
  NoteMarks* EditedMarks() const;
  MeasureMarks* EditedMeasure() const;
  // Runs change as one step named name on the marks, then redraws.
  void ChangeMarks(std::string_view name, const std::function<void()>& change);
  void ShowMarks(const SlotAddress& address, std::int32_t value);
  void WriteSelectedNote();
  void ClampPosition();
  void PostRedraw();
  void Changed();
  void BeginEdit(std::string_view name);
  std::string NoteStepName() const;
  void CommitEdit();

  std::function<void()> m_postRedraw;
  std::function<void()> m_stateChanged;
  std::function<void()> m_ownerCallback;
  CSongData* m_song = nullptr;
  EditHistory* m_history = nullptr;
  bool m_initialized = false;
  std::int32_t m_basePitch = kFirstStringBasePitch;
  std::int32_t m_tuning = 0;
  PitchPlaceTable m_places{};

  int m_measureCount = kInputStartMeasureCount;
  int m_measure = 1;
  int m_measureLow = 1;
  int m_measureHigh = 1;
  int m_requestedHigh = 1;  // as the owner gave it, before the capacity cut
  int m_beat = 1;
  int m_type = 0;
  int m_string = 0;
  int m_kandokoro = 0;
  int m_noteValue = 0;
  int m_technique = 0;
  int m_finger = 0;
  int m_togetherString = 0;
  int m_togetherKandokoro = 0;
  int m_repeat = 0;
  int m_ending = 0;
  std::string m_syllable;
  std::string m_ruleSyllable;
  bool m_syllableEnabled = false;
  OpenStrings m_open{};
  bool m_listsEnabled = true;
};

}  // namespace kumoito
