#pragma once
// The song library's logic: reading the information block of a score file,
// the five categories, the list of lines a category shows (CLibraryList, GUI
// thread) and the background scan of the library folder (CLibraryScan, which
// owns its own std::thread and calls back on it).
//
// Thread-safety: the free functions may run on any thread. CLibraryList is
// for one thread (the GUI's). CLibraryScan is started, cancelled and joined by
// one thread; its callbacks run on the scan thread and must not touch widgets.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/ui_text.h"

namespace kumoito {

// Control numbers of the library dialog.
inline constexpr int kIdcLibraryList = 1018;
inline constexpr int kIdcLibraryLoadButton = 1019;
inline constexpr int kIdcLibraryCancelButton = 1020;
inline constexpr int kIdcLibraryCategory = 1022;

inline constexpr int kLibraryLoadCommand = 0;
inline constexpr int kLibraryCancelCommand = 1;

// Only the first files of a large folder are read, so the list fills fast.
inline constexpr int kLibraryMaxFiles = 2000;
inline constexpr std::string_view kLibraryPattern = "*.mwd";
inline constexpr std::string_view kLibraryFolderName = "Archive";

inline constexpr int kCategoryJapanFamous = 0;
inline constexpr int kCategoryJapanAll = 1;
inline constexpr int kCategoryWorldFamous = 2;
inline constexpr int kCategoryWorldAll = 3;
inline constexpr int kCategoryEverything = 4;
inline constexpr std::array<std::string_view, 5> kLibraryCategoryItems = {
    Ui::Mark("日本の有名曲"), Ui::Mark("日本の曲全て"), Ui::Mark("世界の有名曲"),
    Ui::Mark("世界の曲全て"), Ui::Mark("全て")};

inline constexpr int kJapanRegionCode = 3;
inline constexpr int kJapanFamousScore = 60;
inline constexpr int kWorldFamousScore = 100;

// What the library takes from a score's 320-byte information block.
struct LibrarySongInfo {
  std::string title;     // CP932, as stored
  std::string composer;  // CP932; read, not shown
  int regionCode = 0;
  int fameScore = 0;
};

struct LibraryEntry {
  std::string fileName;  // inside the library folder
  // None when the block could not be read (no file, too short a file, an
  // older layout without the block): such a file has no title and no region.
  std::optional<LibrarySongInfo> info;
};

// Reads only the information block; none when the whole block is not there.
// Reports nothing: the list itself shows which files could not be read.
std::optional<LibrarySongInfo> ReadLibrarySongInfo(const std::string& path);

// Whether the category shows the file. A category outside 0..4 shows every
// file; a file without information shows only under "全て" (and such a
// category), since its region is unknown.
bool PassesCategory(const LibraryEntry& entry, std::int32_t category);

// The text of a list line (UTF-8): the title; for a file without information
// its file name and a mark, so that it never reads as some other song.
std::string LibraryLineText(const LibraryEntry& entry);

// The files a scan has delivered and the lines the current category makes of
// them, in delivery (name) order.
class CLibraryList {
 public:
  explicit CLibraryList(std::int32_t category) : m_category(category) {}

  void Clear();
  // Keeps the file; true when the category shows it, that is, when it
  // became the new last line.
  bool Add(LibraryEntry entry);
  // The lines are made again from every file kept so far.
  void SetCategory(std::int32_t category);

  std::int32_t Category() const { return m_category; }
  int FileCount() const { return static_cast<int>(m_files.size()); }
  int LineCount() const { return static_cast<int>(m_lines.size()); }
  const LibraryEntry& Line(int i) const { return m_files[m_lines[static_cast<std::size_t>(i)]]; }

 private:
  std::int32_t m_category;
  std::vector<LibraryEntry> m_files;
  std::vector<std::size_t> m_lines;
};

class CLibraryScan {
 public:
  using EntryCallback = std::function<void(const LibraryEntry& entry)>;
  using DoneCallback = std::function<void()>;

  CLibraryScan() = default;
  // Cancels a running scan and waits for its thread.
  ~CLibraryScan();
  CLibraryScan(const CLibraryScan&) = delete;
  CLibraryScan& operator=(const CLibraryScan&) = delete;

  // Cancels any earlier scan, then lists the score files of folder on a new
  // thread and reads the first kLibraryMaxFiles of them in name order:
  // onEntry for each, then onDone. Both run on the scan thread. False when
  // the thread cannot be started (nothing is called then).
  bool Start(std::string folder, EntryCallback onEntry, DoneCallback onDone);
  // Stops the scan between two files and waits for its thread; once it
  // returns no callback runs any more, and onDone is not called. Safe at any
  // time, also when no scan runs.
  void Cancel();
  // Waits until the scan has ended by itself.
  void Join();

 private:
  std::thread m_thread;
  std::atomic<bool> m_cancel{false};
};

}  // namespace kumoito
