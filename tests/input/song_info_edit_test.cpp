#include "input/song_info_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/sjis.h"
#include "song/score_layout.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    out += s;
  }
  return out;
}

TEST(SongInfoEdit, ShowsTheFieldsAsText) {
  auto song = test::NewSong(8);
  SetFieldText(song->m_info.title, *Utf8ToCp932("さくら"));
  SetFieldText(song->m_info.lyricist, "anon");
  SetFieldText(song->m_info.composer, *Utf8ToCp932("日本古謡"));
  const CSongInfoEdit edit(*song);
  EXPECT_EQ(edit.Title(), "さくら");
  EXPECT_EQ(edit.Lyricist(), "anon");
  EXPECT_EQ(edit.Composer(), "日本古謡");
}

TEST(SongInfoEdit, StoresAtMost32BytesWithoutSplittingACharacter) {
  auto song = test::NewSong(8);
  CSongInfoEdit edit(*song);
  edit.Store(std::string(40, 'x'), "a" + Repeat("あ", 16), Repeat("あ", 17));
  EXPECT_EQ(std::string(song->m_info.title), std::string(32, 'x'));
  // 1 + 2 x 16 = 33 bytes: the last character does not fit whole.
  EXPECT_EQ(std::string(song->m_info.lyricist), *Utf8ToCp932("a" + Repeat("あ", 15)));
  EXPECT_EQ(std::string(song->m_info.composer), *Utf8ToCp932(Repeat("あ", 16)));
}

TEST(SongInfoEdit, UntouchedFieldsKeepTheirBytes) {
  auto song = test::NewSong(8);
  // An unassigned two-byte code: shown with a replacement character.
  std::memcpy(song->m_info.title, "ab\x85\x40", 5);
  SetFieldText(song->m_info.composer, "old");
  CSongInfoEdit edit(*song);
  edit.Store(edit.Title(), "new", "old \xF0\x9F\x8E\xB5");
  EXPECT_STREQ(song->m_info.title, "ab\x85\x40");
  EXPECT_STREQ(song->m_info.lyricist, "new");
  // A character CP932 lacks is stored as '?', the rest as typed.
  EXPECT_STREQ(song->m_info.composer, "old ?");
}

TEST(SongInfoEdit, FullFieldsFromAFileShowAllTheirBytesAndNoMore) {
  // Each field is followed in the block by another full one: a read that
  // needed a terminator would run on into it.
  test::Bytes b = test::MakeCurrentImage(score_layout::kFileSize);
  const std::size_t info = score_layout::kInfoBlock;
  test::PutText(b, info + score_layout::kInfoTitle, *Utf8ToCp932(Repeat("さ", 16) + "A"));
  test::PutText(b, info + score_layout::kInfoTitleSub, std::string(31, 's'));
  test::PutText(b, info + score_layout::kInfoComposer, std::string(33, 'c'));
  test::PutText(b, info + score_layout::kInfoComposerSub, std::string(31, 'd'));
  test::PutText(b, info + score_layout::kInfoLyricist, *Utf8ToCp932("a" + Repeat("あ", 16)));
  test::PutText(b, info + score_layout::kInfoLyricistSub, std::string(31, 'm'));
  test::TempDir dir;
  test::Loaded l = test::LoadBytes(dir, b);
  CSongInfoEdit edit(*l.song);
  EXPECT_EQ(edit.Title(), Repeat("さ", 16) + "A");
  EXPECT_EQ(edit.Composer(), std::string(33, 'c'));
  EXPECT_EQ(edit.Lyricist(), "a" + Repeat("あ", 16));

  // Confirmed unchanged, the full fields are not rewritten (and so not cut).
  edit.Store(edit.Title(), edit.Lyricist(), edit.Composer());
  EXPECT_EQ(FieldText(l.song->m_info.title), *Utf8ToCp932(Repeat("さ", 16) + "A"));
  EXPECT_EQ(FieldText(l.song->m_info.composer), std::string(33, 'c'));
}

TEST(SongInfoEdit, TempoIsKeptInsideItsRangeAndAFilesValueStaysUntilChanged) {
  auto song = test::NewSong(8);
  song->m_info.tempo = 300;
  CSongInfoEdit edit(*song);
  EXPECT_EQ(edit.Tempo(), 240);
  EXPECT_TRUE(edit.StoreMetre(edit.Tempo(), 4));
  EXPECT_EQ(song->m_info.tempo, 300) << "confirmed as shown, the file's value stays";
  EXPECT_TRUE(edit.StoreMetre(20, 4));
  EXPECT_EQ(song->m_info.tempo, 40);
  EXPECT_TRUE(edit.StoreMetre(1000, 4));
  EXPECT_EQ(song->m_info.tempo, 240);
  EXPECT_TRUE(edit.StoreMetre(96, 4));
  EXPECT_EQ(song->m_info.tempo, 96);
  EXPECT_EQ(CSongInfoEdit(*song).Tempo(), 96);
}

TEST(SongInfoEdit, NewBeatsPerMeasureReBarsTheSong) {
  auto song = test::NewSong(8);
  song->m_cells[8].pitch[0] = 67;  // beat 5: the second measure's first
  CSongInfoEdit edit(*song);
  EXPECT_EQ(edit.BeatsPerMeasure(), 4);
  EXPECT_TRUE(edit.StoreMetre(edit.Tempo(), 3));
  EXPECT_EQ(song->m_beatsPerMeasure, 3);
  EXPECT_EQ(song->m_measureCount, 11) << "32 beats in measures of three";
  EXPECT_EQ(song->m_cells[8].pitch[0], 67);
  EXPECT_EQ(edit.BeatsPerMeasure(), 3);

  auto full = test::NewSong(256);
  CSongInfoEdit fullEdit(*full);
  EXPECT_FALSE(fullEdit.BeatsFit(3));
  EXPECT_FALSE(fullEdit.StoreMetre(60, 3));
  EXPECT_EQ(full->m_beatsPerMeasure, 4);
  EXPECT_EQ(full->m_info.tempo, kDefaultTempo) << "a refused metre stores no tempo either";
}

}  // namespace
}  // namespace kumoito
