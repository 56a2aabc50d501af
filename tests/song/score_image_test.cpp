#include <gtest/gtest.h>

#include <cstring>

#include "common/report.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

// A song in the state editing leaves it: a rest split in a way the save
// writes canonically, blanks after the title, an extra text only the save
// packs into free lyric fields.
std::unique_ptr<CSongData> EditedSong() {
  auto song = test::NewSong(4, 3, 2);
  song->m_cells[0].pitch[0] = 62;
  song->m_cells[2].pitch[0] = SLOT_REST;
  song->m_cells[2].pitch[1] = SLOT_REST;
  song->m_cells[2].pitch[2] = SLOT_REST;
  std::strcpy(song->m_info.title, "Title   ");
  song->SetExtraText(2, "memo");
  song->m_headerWord = 7;
  return song;
}

TEST(ScoreFileImage, IsWhatSaveWritesAndLeavesTheSongAsItWas) {
  ScopedReportCapture reports;
  test::TempDir dir;
  auto song = EditedSong();
  const auto copy = CSongData::Clone(*song);
  const std::vector<unsigned char> image = ScoreFileImage(*song);

  // Untouched: cells, texts and the packed fields alike.
  EXPECT_EQ(std::memcmp(song->m_cells.data(), copy->m_cells.data(), sizeof song->m_cells), 0);
  EXPECT_STREQ(song->m_info.title, "Title   ");
  EXPECT_EQ(song->ExtraText(2), "memo");

  const std::string path = dir.Path("s.mwd");
  ASSERT_TRUE(
      SaveScore(*song, song->m_beatsPerMeasure, song->m_keyIndex, path, song->m_headerWord));
  EXPECT_EQ(test::ReadFile(path), image);
  // After the save has normalized the song, its image is the same again.
  EXPECT_EQ(ScoreFileImage(*song), image);
}

TEST(ScoreFileImage, TellsApartEveryFieldTheFileStores) {
  const auto base = EditedSong();
  const auto image = ScoreFileImage(*base);
  const auto changed = [&](auto change) {
    auto song = CSongData::Clone(*base);
    change(*song);
    return ScoreFileImage(*song) != image;
  };
  EXPECT_TRUE(changed([](CSongData& s) { s.m_cells[5].pitch[0] = 64; }));
  EXPECT_TRUE(changed([](CSongData& s) { s.m_measureCount = 5; }));
  EXPECT_TRUE(changed([](CSongData& s) { s.m_info.tempo = 90; }));
  EXPECT_TRUE(changed([](CSongData& s) { std::strcpy(s.m_beatChords[1].chord, "G7"); }));
  EXPECT_TRUE(changed([](CSongData& s) { s.SetExtraText(2, "memo2"); }));
  EXPECT_TRUE(changed([](CSongData& s) { s.m_keyIndex = 1; }));
  EXPECT_TRUE(changed([](CSongData& s) { s.m_beatMarkA[0] = 1; }));
  EXPECT_FALSE(changed([](CSongData& s) { s.m_filePath = "elsewhere.mwd"; }));
}

}  // namespace
}  // namespace kumoito
