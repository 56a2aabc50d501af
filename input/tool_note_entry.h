#pragma once
// ToolNoteEntry: entered notes written at the note input tool's slot. Each
// note is placed on the string placement chooses (a two-string note's
// second note on another string that can play it), lasts the tool's note
// value, overwrites what was there and moves the tool on by that value; the
// song grows by a measure when the note starts past its end. Each entry is
// one step of the edit history.
//
// Thread-safety: GUI thread only, like the tool and the song.

#include <functional>
#include <optional>
#include <string>

#include "input/input_tool.h"
#include "input/midi_entry.h"

namespace kumoito {

class EditHistory;

class ToolNoteEntry final : public NoteEntrySink {
 public:
  // The tool and history must outlive the object; changed runs after each
  // entry (the owner redraws the score and the tool's lists).
  ToolNoteEntry(CInputDlg& tool, EditHistory* history, std::function<void()> changed);

  void EnterNote(int pitch) override;
  void EnterTogether(int low, int high) override;

  // Sixteenths an entry lasts: the tool's note value (a quarter for その他).
  int NoteSixteenths() const;

 private:
  // Where the next entry goes, in sixteenths from the song's start: the
  // tool's slot, unless the last entry moved on to where the tool cannot
  // point (past the 16th position of a long measure) and the tool stayed.
  std::optional<int> TargetSixteenth() const;
  void Enter(int pitch, std::optional<int> together);
  void WriteNote(int at, int length, int pitch, std::optional<int> together);
  void MoveTo(int sixteenth);

  CInputDlg& m_tool;
  EditHistory* m_history;
  std::function<void()> m_changed;
  std::optional<int> m_next;
  std::optional<SlotAddress> m_toolSlotAtNext;
};

}  // namespace kumoito
