#pragma once
// ScoreCursor: the keyboard's place on the tablature (a sixteenth of the
// song and a string) and everything typed there: kandokoro, rests, holds,
// note values, marks, two-string notes, lyrics; the selection and the
// edits on it (clear, cut, paste, measures in and out). Each change of the
// song is one step of the owner's edit history. A MIDI keyboard enters
// through EnterPitch and EnterTogether. The window forwards its keys as
// KeyStrokes and shows Position, String, Selection and Note.
//
// Thread-safety: GUI thread only, like the song it edits.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "song/edit_ops.h"
#include "song/tuning.h"

namespace kumoito {

class EditHistory;

// The keys the cursor knows by name; everything else comes as text.
enum class EntryKey {
  kNone,
  kLeft,
  kRight,
  kUp,
  kDown,
  kHome,
  kEnd,
  kTab,
  kBacktab,
  kSpace,
  kReturn,
  kBackspace,
  kDelete,
  kInsert,
  kEscape,
};

struct KeyStroke {
  EntryKey key = EntryKey::kNone;
  std::string text;  // UTF-8, what the key types (for kNone)
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// Note values the keys step through, in sixteenths.
inline constexpr int kShortestStep = 1;
inline constexpr int kLongestStep = 16;
inline constexpr int kStartStep = 4;  // a quarter: a number with no bar under it

// The kandokoro row a typed position (0 for ○, 1 .. 20) stands for; none
// for numbers the tablature has no position of.
std::optional<int> KandokoroRowOfNumber(int number);

class ScoreCursor {
 public:
  // changed(songChanged): the cursor moved, or the song changed too.
  explicit ScoreCursor(std::function<void(bool songChanged)> changed);
  ScoreCursor(const ScoreCursor&) = delete;
  ScoreCursor& operator=(const ScoreCursor&) = delete;

  // Not owned; each must outlive its use here.
  void SetSong(CSongData* song);
  void SetHistory(EditHistory* history) { m_history = history; }
  void SetStrings(const OpenStrings& open);
  // After the song changed under the cursor: it stays inside.
  void FollowSong();

  // A key from the window; false when the cursor has no use for it (the
  // window then treats it as it always has).
  bool OnKey(const KeyStroke& key);

  // Where the cursor is: from 0 up to the song's sixteenths (the one after
  // the last is where the song grows).
  int Position() const { return m_position; }
  int String() const { return m_string; }
  // Selected sixteenths [first, second); none when nothing is selected.
  std::optional<std::pair<int, int>> Selection() const;
  // extend: the selection runs from where it started (or the cursor) to here.
  void PlaceAt(int position, int string, bool extend = false);
  void PlaceAt(int position) { PlaceAt(position, m_string); }
  int Step() const;
  // The note value typed next, in sixteenths (1, 2, 4, 8, 16 and dotted).
  void SetStep(int sixteenths);

  // Entries at the cursor, each one step of history; the cursor then moves
  // on by the note value. False, and nothing changed, without a song or room.
  bool EnterKandokoro(int row);   // on the cursor's string
  bool EnterPitch(int midiNote);  // on the string placement chooses
  // A two-string note: the higher pitch is the melody, the lower struck with
  // it on another string; the melody alone when no two strings can.
  bool EnterTogether(int first, int second);
  bool EnterRest();
  bool EnterHold();
  // The note just typed (else the one at the cursor) onto the next string
  // in direction (+1 up to 三の糸, -1 down) that can play it.
  bool MoveNoteToOtherString(int direction);

  // The selection (else the note at the cursor) as a clip; none when there
  // is nothing to take. Cut and ClearSelection leave rests there.
  std::optional<Clip> Copy() const;
  bool Cut();
  bool Paste(const Clip& clip);
  bool ClearSelection();
  // A measure before the cursor's, or the cursor's (the selection's) away.
  bool InsertMeasure();
  bool RemoveMeasures();

  // Typing lyrics note by note (Ctrl+L); the cursor keeps to note starts.
  bool LyricMode() const { return m_lyricMode; }
  void SetLyricMode(bool on);
  // Text (UTF-8) for the lyric of the note at the cursor, added to what it
  // has; cut at the field's seven CP932 bytes, which Note() then says.
  bool TypeLyric(std::string_view utf8);
  // What the window says under the score about the last key: a cut lyric,
  // a character CP932 lacks, the state of a two-string entry. Empty: nothing.
  const std::string& Note() const { return m_note; }
  // The sixteenths the last change of the song touched; none when it moved
  // measures (insert, remove), which changes everything after.
  std::optional<std::pair<int, int>> ChangedRange() const { return m_changedRange; }

 private:
  bool OnLyricKey(const KeyStroke& key);
  bool OnMoveKey(const KeyStroke& key);
  bool OnTextKey(const std::string& text, bool alt);
  bool OnTogetherKey(const KeyStroke& key);
  // The selection, else the note or rest at the cursor.
  std::optional<std::pair<int, int>> EditRange() const;
  bool ClearRange(std::string_view name);
  // Writes slots at the cursor as one step named for its measure, then
  // moves on by their length.
  bool Enter(const Clip& clip, bool advance);
  // The note typed last, if the cursor has not moved since; else the note
  // or rest at the cursor.
  std::optional<int> TargetNote() const;
  bool ChangeTarget(std::string_view name, const std::function<bool(int position)>& change);
  bool ShiftTargetPosition(int by);
  bool ToggleTechnique(Technique technique);
  bool CycleFinger();
  bool StartTogether();
  bool FinishTogether(int row);
  std::optional<PitchPlace> PlaceAtSlot(int position) const;
  void Record(std::string_view name, const std::function<bool()>& change);
  std::string StepName(int position) const;
  int End() const;
  void Moved();

  std::function<void(bool)> m_changed;
  CSongData* m_song = nullptr;
  EditHistory* m_history = nullptr;
  OpenStrings m_open{};
  PitchPlaceTable m_places{};
  int m_position = 0;
  int m_string = 0;
  std::optional<int> m_anchor;
  std::optional<int> m_lastEntry;
  int m_base = kStartStep;  // undotted value
  bool m_dotted = false;
  bool m_lyricMode = false;
  std::optional<int> m_togetherFor;  // the note a second note is being typed for
  bool m_lastChangeDone = false;
  std::string m_note;
  std::optional<std::pair<int, int>> m_changedRange;
};

}  // namespace kumoito
