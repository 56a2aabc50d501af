#pragma once
// The recovery file: a song the window has not saved, with the file it came
// from and the string settings it was shown with, kept in the data folder
// while the window runs so that the start after a crash can offer it again.
// A small versioned format with a CRC-32 over every byte before it: a torn,
// foreign or damaged file is refused whole, never half read.
//
// RecoveryStore gives each running window a file of its own and tells the
// files of windows that still run from those whose window is gone: each
// window holds an flock on a lock file named like its recovery file, which
// the system releases however the process ends.
//
// Thread-safety: the free functions may be called from any thread. A
// RecoveryStore belongs to the thread that made it (the GUI thread), except
// Path(), which is fixed at construction.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "song/score_extension.h"
#include "song/score_layout.h"

namespace kumoito {

// Layout, little-endian: magic (8), version (4), first-string value (4),
// tuning (4), key (4), path length (4), score length (4), the path, the
// score bytes, then the CRC-32 of everything before it (4).
namespace recovery_layout {
inline constexpr unsigned char kMagic[8] = {'K', 'M', 'T', 'R', 'C', 'V', 0x1A, '\n'};
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kChecksumSize = 4;
// Paths longer than this are no path a file system gives.
inline constexpr std::size_t kMaxPathLength = 4096;
// A score's layout and the largest extension it may carry: a size field
// beyond it is damage.
inline constexpr std::size_t kMaxScoreLength = score_layout::kFileSize + kMaxScoreExtensionBytes;
inline constexpr std::size_t kMaxFileSize =
    kHeaderSize + kMaxPathLength + kMaxScoreLength + kChecksumSize;
}  // namespace recovery_layout

struct RecoveredSong {
  std::string sourcePath;  // the file the song came from; empty for none
  std::int32_t firstStringValue = 0;
  std::int32_t tuning = 0;
  std::int32_t key = 0;
  std::vector<unsigned char> score;  // the score file's bytes
  bool operator==(const RecoveredSong&) const = default;
};

std::vector<unsigned char> EncodeRecovery(const RecoveredSong& song);
// nullopt unless data is exactly one whole recovery file of this version.
std::optional<RecoveredSong> DecodeRecovery(const unsigned char* data, std::size_t size);

// Through the program's own reader and writer: the write replaces the file
// whole and is on disk when it returns.
std::optional<RecoveredSong> ReadRecoveryFile(const std::string& path);
bool WriteRecoveryFile(const std::string& path, const RecoveredSong& song);

class RecoveryStore {
 public:
  // Takes this process's lock in folder (which must exist). Locked() is
  // false when the lock cannot be taken; the file is still written then. A
  // file an earlier process of the same number left is moved aside, to be
  // offered as any other orphan.
  explicit RecoveryStore(std::string folder);
  // Releases the lock; the recovery file stays unless Remove() was called.
  ~RecoveryStore();
  RecoveryStore(const RecoveryStore&) = delete;
  RecoveryStore& operator=(const RecoveryStore&) = delete;

  bool Locked() const { return m_lockFd >= 0; }
  // This process's recovery file.
  const std::string& Path() const { return m_path; }
  // Recovery files whose window no longer runs, newest first. Lock files
  // left alone by ended windows go on the way.
  std::vector<std::string> Orphans() const;
  bool Write(const RecoveredSong& song) const;
  // This process's file; an orphan is removed with ForgetOrphan.
  void Remove() const;
  static void ForgetOrphan(const std::string& recoveryPath);

 private:
  std::string m_folder;
  std::string m_path;
  std::string m_lockPath;
  int m_lockFd = -1;
};

}  // namespace kumoito
