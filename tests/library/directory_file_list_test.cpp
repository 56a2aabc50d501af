#include "library/directory_file_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

std::vector<std::string> Entries(const CDirectoryFileList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.EntryCount(); ++i) {
    out.push_back(list.Entry(i));
  }
  return out;
}

TEST(DirectoryFileList, ListsMatchingFilesOfTheFolderAloneInByteOrder) {
  test::TempDir dir;
  for (const char* name :
       {"b.mwd", "B.mwd", "a.mwd", "\xE3\x81\x82.mwd", "X.MWD", "c.txt", "mwd", "d.mwd.bak"}) {
    test::WriteFile(dir.Path(name), {1});
  }
  std::filesystem::create_directories(dir.Path("sub.mwd"));
  test::WriteFile(dir.Path("sub.mwd/inner.mwd"), {1});
  std::filesystem::create_directories(dir.Path("deeper"));
  test::WriteFile(dir.Path("deeper/inner.mwd"), {1});

  const CDirectoryFileList list(dir.path().string(), "*.mwd");
  EXPECT_EQ(list.Folder(), dir.path().string());
  const std::vector<std::string> expected = {"B.mwd", "X.MWD", "a.mwd", "b.mwd",
                                             "\xE3\x81\x82.mwd"};
  EXPECT_EQ(Entries(list), expected);
}

TEST(DirectoryFileList, MissingFolderGivesAnEmptyList) {
  test::TempDir dir;
  const CDirectoryFileList list(dir.Path("none"), "*.mwd");
  EXPECT_EQ(list.EntryCount(), 0);
}

TEST(DirectoryFileList, KeepsTheFirstEntriesUpToItsCapacity) {
  test::TempDir dir;
  const int n = CDirectoryFileList::kMaxEntries + 3;
  for (int i = 0; i < n; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%05d.mwd", i);
    std::FILE* f = std::fopen(dir.Path(name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  const CDirectoryFileList list(dir.path().string(), "*.mwd");
  ASSERT_EQ(list.EntryCount(), CDirectoryFileList::kMaxEntries);
  EXPECT_EQ(list.Entry(0), "f00000.mwd");
  EXPECT_EQ(list.Entry(CDirectoryFileList::kMaxEntries - 1), "f28999.mwd");
}

}  // namespace
}  // namespace kumoito
