#pragma once
// EditHistory: the undo and redo steps of the current song. A step is
// recorded around any change (BeginEdit before, CommitEdit after) and keeps
// only the bytes of the song that changed, before and after, compressed when
// they are many; undo writes the before bytes back, redo the after bytes. A
// step may also carry one number of its owner's (a setting that changes
// together with the song), given back by undo and redo.
//
// Thread-safety: none; the GUI thread that owns the song uses it.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kumoito {

class CSongData;

// Bytes of the song that edits can change: every block the score file
// keeps, the header fields and the working fields beside them. The file path
// is not an edit.
std::size_t SongStateSize();
void CaptureSongState(const CSongData& song, std::vector<unsigned char>& state);

class EditHistory {
 public:
  static constexpr std::size_t kDefaultCapacity = 500;

  struct Applied {
    std::string name;
    std::int64_t ownerState;  // the step's owner number as it is now
  };

  explicit EditHistory(std::size_t capacity = kDefaultCapacity);

  // Starts a step named name (UTF-8) on the song as it is now. A BeginEdit
  // inside a step joins it: the outermost pair makes one step.
  void BeginEdit(const CSongData& song, std::string_view name, std::int64_t ownerState = 0);
  // Ends the pair begun last. The outermost one records a step when the song
  // or the owner number changed (true), which clears what could be redone;
  // a step that changed nothing is dropped.
  bool CommitEdit(const CSongData& song, std::int64_t ownerState = 0);
  bool InEdit() const { return m_depth > 0; }

  // Puts the song back as it was before the last step (Undo) or after the
  // next undone one (Redo); nullopt when there is none, or inside a step.
  std::optional<Applied> Undo(CSongData& song);
  std::optional<Applied> Redo(CSongData& song);
  bool CanUndo() const { return m_depth == 0 && m_done > 0; }
  bool CanRedo() const { return m_depth == 0 && m_done < m_steps.size(); }
  // Names of the steps Undo and Redo would apply; empty when none.
  std::string_view UndoName() const;
  std::string_view RedoName() const;
  std::size_t UndoCount() const { return m_done; }
  std::size_t RedoCount() const { return m_steps.size() - m_done; }

  // Forgets every step (another song was opened).
  void Clear();
  // Heap bytes held by the recorded steps.
  std::size_t MemoryBytes() const;

 private:
  struct Step {
    std::string name;
    std::int64_t ownerBefore = 0;
    std::int64_t ownerAfter = 0;
    // Runs of (offset, length, before bytes, after bytes), zlib-compressed
    // when rawSize is not 0.
    std::vector<unsigned char> runs;
    std::size_t rawSize = 0;
  };

  bool Apply(CSongData& song, const Step& step, bool after);

  std::size_t m_capacity;
  std::deque<Step> m_steps;
  std::size_t m_done = 0;  // steps[0 .. m_done) can be undone
  int m_depth = 0;
  std::string m_pendingName;
  std::int64_t m_pendingOwner = 0;
  std::vector<unsigned char> m_before;  // the song at the outermost BeginEdit
  std::vector<unsigned char> m_now;     // scratch for the song at CommitEdit
};

}  // namespace kumoito
