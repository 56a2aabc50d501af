// Every file the program writes (score, settings, image, play.dat) is still
// written when its folder may not be written but the file itself may.

#include <gtest/gtest.h>

#include <filesystem>

#include "common/config_control.h"
#include "common/file_util.h"
#include "common/report.h"
#include "midi/performance.h"
#include "render/image_file.h"
#include "render/raster_surface.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ReadFile;

class LockedFolderTest : public ::testing::Test {
 protected:
  LockedFolderTest() {
    fs::create_directory(m_folder);
    for (const char* name : {"song.mwd", "page.bmp", "play.dat"}) {
      test::WriteFile(Path(name), Bytes(3, 'x'));
    }
    test::WriteFile(Path("setup.ini"), Bytes(kSettingsFileSize, 0));
  }
  std::string Path(const char* name) const { return (m_folder / name).string(); }
  std::size_t Entries() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()));
  }

  ScopedReportCapture m_reports;
  test::TempDir m_dir;
  fs::path m_folder = m_dir.path() / "locked";
};

TEST_F(LockedFolderTest, EachKindOfFileIsReplacedInPlace) {
  test::LockedFolder locked(m_folder);
  if (!locked.Locked()) {
    GTEST_SKIP() << "this file system cannot lock a folder for us";
  }
  auto song = test::NewSong(8);
  song->m_cells[0].pitch[0] = 60;
  ASSERT_TRUE(SaveScore(*song, 4, 0, Path("song.mwd"), 1));
  EXPECT_EQ(ReadFile(Path("song.mwd")).size(), 94540u);
  std::int32_t beats = 0, key = 0, measures = 0;
  EXPECT_EQ(CSongData::LoadOrCreate(Path("song.mwd"), beats, key, measures)->m_cells[0].pitch[0],
            60);

  {
    SettingsBlock settings{};
    CConfigControl config(Path("setup.ini"), &settings);
    settings.key = 5;
  }
  const Bytes ini = ReadFile(Path("setup.ini"));
  ASSERT_EQ(ini.size(), kSettingsFileSize);
  EXPECT_EQ(ini[20], 5);

  RasterSurface page(16, 4);
  ASSERT_TRUE(WriteBitmapFile(page, Path("page.bmp")));
  EXPECT_TRUE(DecodeBitmap(ReadFile(Path("page.bmp"))).has_value());

  ASSERT_TRUE(midi::BuildPerformance(Path("play.dat"), 120, *song));
  const Bytes smf = ReadFile(Path("play.dat"));
  ASSERT_GT(smf.size(), 14u);
  EXPECT_EQ(std::string(smf.begin(), smf.begin() + 4), "MThd");

  EXPECT_EQ(Entries(), 4u);  // nothing was created beside them
  EXPECT_EQ(m_reports.Text(), "");
}

TEST_F(LockedFolderTest, ANewFileStillFailsWithTheFoldersReason) {
  test::LockedFolder locked(m_folder);
  if (!locked.Locked()) {
    GTEST_SKIP() << "this file system cannot lock a folder for us";
  }
  EXPECT_FALSE(WriteFileBytes(Path("new.bmp"), "x", 1));
  const std::error_code why = LastWriteError();
  EXPECT_TRUE(why == std::errc::permission_denied || why == std::errc::operation_not_permitted)
      << why.message();
  EXPECT_NE(m_reports.Text().find("GENE01000007"), std::string::npos);
  EXPECT_TRUE(WriteFileBytes(Path("page.bmp"), "y", 1));
  EXPECT_FALSE(LastWriteError());
  EXPECT_EQ(ReadFile(Path("page.bmp")), Bytes{'y'});
}

}  // namespace
}  // namespace kumoito
