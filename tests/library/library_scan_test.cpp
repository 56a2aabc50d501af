#include "library/library_scan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "common/file_util.h"
#include "common/sjis.h"
#include "song/score_layout.h"
#include "tests/library/library_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

LibraryEntry Song(int region, int fame) {
  return LibraryEntry{"x.mwd", LibrarySongInfo{"t", "", region, fame}};
}

std::vector<int> CategoriesShowing(const LibraryEntry& e) {
  std::vector<int> shown;
  for (int c = 0; c < 5; ++c) {
    if (PassesCategory(e, c)) {
      shown.push_back(c);
    }
  }
  return shown;
}

TEST(LibraryCategories, RegionAndFameDecideTheCategory) {
  using V = std::vector<int>;
  EXPECT_EQ(CategoriesShowing(Song(3, 60)), (V{0, 1, 4}));
  EXPECT_EQ(CategoriesShowing(Song(3, 59)), (V{1, 4}));
  EXPECT_EQ(CategoriesShowing(Song(0, 100)), (V{2, 3, 4}));
  EXPECT_EQ(CategoriesShowing(Song(0, 99)), (V{3, 4}));
  EXPECT_EQ(CategoriesShowing(Song(4, 255)), (V{2, 3, 4}));
  // A file without information has no known region.
  const LibraryEntry unread{"y.mwd", std::nullopt};
  EXPECT_EQ(CategoriesShowing(unread), (V{4}));
  // A stored category no item has shows every file.
  EXPECT_TRUE(PassesCategory(Song(3, 0), -1));
  EXPECT_TRUE(PassesCategory(unread, 5));
}

TEST(LibraryInfo, ReadsTheInformationBlockOnly) {
  test::TempDir dir;
  const std::string path = dir.Path("a.mwd");
  test::WriteLibraryScore(path, "荒城の月", 3, 77, "滝廉太郎");
  const auto info = ReadLibrarySongInfo(path);
  ASSERT_TRUE(info);
  EXPECT_EQ(LibraryLineText(LibraryEntry{"a.mwd", info}), "荒城の月");
  EXPECT_EQ(info->composer, Utf8ToCp932("滝廉太郎"));
  EXPECT_EQ(info->regionCode, 3);
  EXPECT_EQ(info->fameScore, 77);

  // An older layout ends before the block; a missing file has none either.
  test::WriteFile(dir.Path("old.mwd"), test::Bytes(score_layout::kOldChordSize, 0));
  EXPECT_FALSE(ReadLibrarySongInfo(dir.Path("old.mwd")));
  EXPECT_FALSE(ReadLibrarySongInfo(dir.Path("none.mwd")));
}

TEST(LibraryInfo, UnreadableFileIsNamedNotGivenAnotherTitle) {
  const LibraryEntry unread{"broken.mwd", std::nullopt};
  const std::string text = LibraryLineText(unread);
  EXPECT_NE(text.find("broken.mwd"), std::string::npos);
  EXPECT_NE(text, "broken.mwd");  // marked, so it does not look like a title
}

TEST(LibraryList, CategoryChangeRemakesTheLinesInFileOrder) {
  CLibraryList list(kCategoryJapanAll);
  EXPECT_TRUE(list.Add(LibraryEntry{"a.mwd", LibrarySongInfo{"A", "", 3, 0}}));
  EXPECT_FALSE(list.Add(LibraryEntry{"b.mwd", LibrarySongInfo{"B", "", 0, 0}}));
  EXPECT_TRUE(list.Add(LibraryEntry{"c.mwd", LibrarySongInfo{"C", "", 3, 90}}));
  ASSERT_EQ(list.LineCount(), 2);
  EXPECT_EQ(list.Line(1).fileName, "c.mwd");
  list.SetCategory(kCategoryEverything);
  ASSERT_EQ(list.LineCount(), 3);
  EXPECT_EQ(list.Line(1).fileName, "b.mwd");
  // Files arriving later follow the new category.
  EXPECT_TRUE(list.Add(LibraryEntry{"d.mwd", std::nullopt}));
  list.SetCategory(kCategoryJapanFamous);
  ASSERT_EQ(list.LineCount(), 1);
  EXPECT_EQ(list.Line(0).fileName, "c.mwd");
  EXPECT_EQ(list.FileCount(), 4);
}

// Collects what a scan delivers, from the scan thread.
struct Collector {
  std::mutex mutex;
  std::vector<LibraryEntry> entries;
  std::atomic<int> done{0};

  CLibraryScan::EntryCallback OnEntry() {
    return [this](const LibraryEntry& e) {
      std::lock_guard lock(mutex);
      entries.push_back(e);
    };
  }
  CLibraryScan::DoneCallback OnDone() {
    return [this] { ++done; };
  }
  std::size_t Count() {
    std::lock_guard lock(mutex);
    return entries.size();
  }
};

TEST(LibraryScan, ReadsTheFirst2000FilesInNameOrder) {
  test::TempDir dir;
  test::FillLibraryFolder(dir.Path("Archive"), 2500);
  Collector c;
  CLibraryScan scan;
  ASSERT_TRUE(scan.Start(dir.Path("Archive"), c.OnEntry(), c.OnDone()));
  scan.Join();
  EXPECT_EQ(c.done.load(), 1);
  ASSERT_EQ(c.entries.size(), 2000u);
  EXPECT_EQ(c.entries.front().fileName, "song0000.mwd");
  EXPECT_EQ(c.entries.back().fileName, "song1999.mwd");
  ASSERT_TRUE(c.entries[7].info);
  EXPECT_EQ(c.entries[7].info->title, "T0007");
  EXPECT_EQ(c.entries[8].info->regionCode, 3);
}

TEST(LibraryScan, UnreadableFileDoesNotInheritThePreviousInformation) {
  test::TempDir dir;
  test::WriteLibraryScore(dir.Path("a.mwd"), "First", 3, 80);
  test::WriteFile(dir.Path("b.mwd"), test::Bytes(100, 0));
  std::filesystem::create_symlink(dir.Path("gone"), dir.Path("c.mwd"));  // dangling
  test::WriteLibraryScore(dir.Path("d.mwd"), "Fourth", 0, 0);
  Collector c;
  CLibraryScan scan;
  ASSERT_TRUE(scan.Start(dir.path().string(), c.OnEntry(), c.OnDone()));
  scan.Join();
  // The dangling link is no regular file and is not listed at all.
  ASSERT_EQ(c.entries.size(), 3u);
  EXPECT_EQ(c.entries[1].fileName, "b.mwd");
  EXPECT_FALSE(c.entries[1].info);
  ASSERT_TRUE(c.entries[2].info);
  EXPECT_EQ(c.entries[2].info->title, "Fourth");
}

TEST(LibraryScan, MissingFolderEndsWithNothingListed) {
  test::TempDir dir;
  Collector c;
  CLibraryScan scan;
  ASSERT_TRUE(scan.Start(dir.Path("Archive"), c.OnEntry(), c.OnDone()));
  scan.Join();
  EXPECT_EQ(c.Count(), 0u);
  EXPECT_EQ(c.done.load(), 1);
}

TEST(LibraryScan, CancelStopsTheCallbacksAndSkipsTheEnd) {
  test::TempDir dir;
  test::FillLibraryFolder(dir.path().string(), 300);
  Collector c;
  std::atomic<bool> started{false};
  CLibraryScan scan;
  // A slow receiver, so that the cancel lands in the middle of the scan.
  ASSERT_TRUE(scan.Start(
      dir.path().string(),
      [&](const LibraryEntry& e) {
        started = true;
        c.OnEntry()(e);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      },
      c.OnDone()));
  while (!started.load()) {
    std::this_thread::yield();
  }
  scan.Cancel();
  const std::size_t atCancel = c.Count();
  EXPECT_LT(atCancel, 300u);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(c.Count(), atCancel);
  EXPECT_EQ(c.done.load(), 0);
  scan.Cancel();  // twice is fine
}

TEST(LibraryScan, DestroyingARunningScanWaitsForItsThread) {
  test::TempDir dir;
  test::FillLibraryFolder(dir.path().string(), 200);
  auto c = std::make_unique<Collector>();
  {
    CLibraryScan scan;
    ASSERT_TRUE(scan.Start(dir.path().string(), c->OnEntry(), c->OnDone()));
  }
  // Were the thread still running, it would write into the freed collector
  // (which the sanitizer build reports).
  c.reset();
}

TEST(LibraryScan, RestartCancelsTheEarlierScan) {
  test::TempDir dir;
  test::FillLibraryFolder(dir.Path("one"), 50);
  test::FillLibraryFolder(dir.Path("two"), 3);
  Collector first;
  Collector second;
  CLibraryScan scan;
  ASSERT_TRUE(scan.Start(dir.Path("one"), first.OnEntry(), first.OnDone()));
  ASSERT_TRUE(scan.Start(dir.Path("two"), second.OnEntry(), second.OnDone()));
  scan.Join();
  const std::size_t firstCount = first.Count();
  EXPECT_EQ(second.Count(), 3u);
  EXPECT_EQ(second.done.load(), 1);
  EXPECT_EQ(first.Count(), firstCount);
}

}  // namespace
}  // namespace kumoito
