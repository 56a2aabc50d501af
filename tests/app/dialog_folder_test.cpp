#include "app/dialog_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

namespace fs = std::filesystem;

class DialogFolderTest : public ::testing::Test {
 protected:
  DialogFolderTest() {
    for (const char* name : {"songs", "last", "program", "program/Archive", "Music", "home"}) {
      fs::create_directories(m_root.Path(name));
    }
    m_all.songFile = m_root.Path("songs/sakura.mwd");
    m_all.lastFolder = m_root.Path("last");
    m_all.libraryFolder = m_root.Path("program/Archive");
    m_all.musicFolder = m_root.Path("Music");
    m_all.homeFolder = m_root.Path("home");
    m_all.programFolder = m_root.Path("program");
  }
  std::string Choose(FileDialogPurpose purpose, const DialogFolderCandidates& c) const {
    return ChooseDialogFolder(purpose, c);
  }

  test::TempDir m_root;
  DialogFolderCandidates m_all;
};

TEST_F(DialogFolderTest, TheSongsFolderComesFirstThenTheLastThenTheFallbacks) {
  for (const auto purpose :
       {FileDialogPurpose::kOpen, FileDialogPurpose::kSave, FileDialogPurpose::kExport}) {
    EXPECT_EQ(Choose(purpose, m_all), m_root.Path("songs"));
  }
  DialogFolderCandidates c = m_all;
  c.songFile.clear();
  EXPECT_EQ(Choose(FileDialogPurpose::kSave, c), m_root.Path("last"));
  c.lastFolder.clear();
  // Only 読込 looks in the library; a save there would mix the user's songs
  // into the program's.
  EXPECT_EQ(Choose(FileDialogPurpose::kOpen, c), m_root.Path("program/Archive"));
  EXPECT_EQ(Choose(FileDialogPurpose::kSave, c), m_root.Path("Music"));
  EXPECT_EQ(Choose(FileDialogPurpose::kExport, c), m_root.Path("Music"));
  c.musicFolder.clear();
  EXPECT_EQ(Choose(FileDialogPurpose::kSave, c), m_root.Path("home"));
}

TEST_F(DialogFolderTest, FoldersThatAreGoneOrAreTheProgramsAreSkipped) {
  DialogFolderCandidates c = m_all;
  c.songFile = m_root.Path("removed/sakura.mwd");
  c.lastFolder = m_root.Path("last/gone");
  c.musicFolder = m_root.Path("no-music");  // ~/Music need not exist
  EXPECT_EQ(Choose(FileDialogPurpose::kSave, c), m_root.Path("home"));

  // A file where a folder was remembered is no folder.
  std::ofstream(m_root.Path("plain")) << "x";
  c.lastFolder = m_root.Path("plain");
  EXPECT_EQ(Choose(FileDialogPurpose::kSave, c), m_root.Path("home"));

  // The program's folder, however it is spelled, is never offered.
  c.lastFolder = m_root.Path("program/./Archive/..");
  c.homeFolder = m_root.Path("program");
  EXPECT_EQ(Choose(FileDialogPurpose::kSave, c), "");
  c.songFile = m_root.Path("program/temp.mwd");
  EXPECT_EQ(Choose(FileDialogPurpose::kSave, c), "");
  EXPECT_EQ(Choose(FileDialogPurpose::kOpen, c), m_root.Path("program/Archive"));
}

TEST_F(DialogFolderTest, TheLastFolderIsKeptAcrossRuns) {
  const std::string file = m_root.Path(kDialogFolderFileName);
  EXPECT_EQ(LoadDialogFolder(file), "");
  ASSERT_TRUE(SaveDialogFolder(file, "/home/user/三味線 譜"));
  EXPECT_EQ(LoadDialogFolder(file), "/home/user/三味線 譜");
  ASSERT_TRUE(SaveDialogFolder(file, "/tmp"));
  EXPECT_EQ(LoadDialogFolder(file), "/tmp");

  // A name no line holds is not kept, and the folder kept before stays.
  EXPECT_FALSE(SaveDialogFolder(file, "/tmp/two\nlines"));
  EXPECT_FALSE(SaveDialogFolder(file, ""));
  EXPECT_EQ(LoadDialogFolder(file), "/tmp");
}

TEST_F(DialogFolderTest, ADamagedFileGivesNoFolder) {
  const std::string file = m_root.Path(kDialogFolderFileName);
  // Cut off before its line ended: the name may be only part of the folder's.
  std::ofstream(file, std::ios::binary) << "last=/home/user/so";
  EXPECT_EQ(LoadDialogFolder(file), "");
  std::ofstream(file, std::ios::binary) << "other=/tmp\n";
  EXPECT_EQ(LoadDialogFolder(file), "");
}

}  // namespace
}  // namespace kumoito
