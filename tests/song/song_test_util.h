#pragma once
// Helpers for song and score-file tests: a temporary folder, score images of
// every version built byte by byte, and loading through the real file path.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "song/song_data.h"

namespace kumoito::test {

// A folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string Path(const std::string& name) const { return (m_path / name).string(); }
  const std::filesystem::path& path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

// Write-protects a folder (no file may be created in it, while the files
// already there stay writable) or a file (it may not be written): by the
// permission bits for an ordinary user, by the immutable attribute for root,
// whom permission bits do not stop. Locked() is false where neither works
// (a file system without attributes). The lock goes with the object.
class LockedFolder {
 public:
  explicit LockedFolder(std::filesystem::path path);
  ~LockedFolder();
  LockedFolder(const LockedFolder&) = delete;
  LockedFolder& operator=(const LockedFolder&) = delete;
  bool Locked() const { return m_locked; }

 private:
  void Unlock();
  std::filesystem::path m_folder;
  bool m_isFolder = true;
  bool m_immutable = false;
  bool m_locked = false;
};

using Bytes = std::vector<unsigned char>;

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

void PutLE32(Bytes& b, std::size_t offset, std::int32_t v);
void PutLE16(Bytes& b, std::size_t offset, std::int16_t v);
std::int32_t GetLE32(const Bytes& b, std::size_t offset);
void PutText(Bytes& b, std::size_t offset, const std::string& text);

// A current-layout image (or a truncated/extended one of size bytes) with an
// empty 4/4 song of the given measures: rests at measure starts, holds after.
Bytes MakeCurrentImage(std::size_t size, std::int32_t measures = 2, std::int16_t beats = 4,
                       std::int32_t key = 0);

struct Loaded {
  std::unique_ptr<CSongData> song;
  std::int32_t beats;
  std::int32_t key;
  std::int32_t measures;
};

// Writes bytes to a file in dir and loads it with LoadOrCreate(0, 0, 0 inputs
// unless given).
Loaded LoadBytes(const TempDir& dir, const Bytes& bytes, std::int32_t beats = 4,
                 std::int32_t key = 0, std::int32_t measures = 8);

// A new empty song of the given shape, made as the program makes one.
std::unique_ptr<CSongData> NewSong(std::int32_t measures, std::int32_t beats = 4,
                                   std::int32_t key = 0);

}  // namespace kumoito::test
