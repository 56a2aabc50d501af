// The song writer: metre, grid, capacity and the fixed fields of the song.

#include "import/song_writer.h"

#include <gtest/gtest.h>

#include "common/sjis.h"
#include "song/key_table.h"
#include "song/tuning.h"
#include "tests/import/import_test_util.h"

namespace kumoito::import {
namespace {

using test::CellsText;

Melody Notes(std::initializer_list<std::pair<Rational, Rational>> onsetsAndLengths,
             int pitch = 60) {
  Melody m;
  for (const auto& [onset, length] : onsetsAndLengths) {
    m.notes.push_back({onset, length, pitch, {}});
  }
  return m;
}

TEST(SongWriter, PlansEveryMetreSoThatBarsAndSoundStay) {
  struct Case {
    int n, d, beats;
    Rational scale;
  };
  for (const Case& c :
       {Case{4, 4, 4, 1}, Case{3, 4, 3, 1}, Case{2, 2, 4, 1}, Case{6, 8, 3, 1}, Case{12, 8, 6, 1},
        Case{3, 8, 3, 2}, Case{5, 8, 5, 2}, Case{7, 8, 7, 2}, Case{9, 8, 3, Rational(2, 3)},
        Case{12, 4, 8, Rational(2, 3)}, Case{16, 4, 8, Rational(1, 2)}}) {
    const MetrePlan plan = PlanMetre(c.n, c.d);
    EXPECT_TRUE(plan.barsKept) << c.n << "/" << c.d;
    EXPECT_EQ(plan.beatsPerMeasure, c.beats) << c.n << "/" << c.d;
    EXPECT_EQ(plan.scale, c.scale) << c.n << "/" << c.d;
  }
  EXPECT_FALSE(PlanMetre(11, 8).barsKept);
  EXPECT_EQ(PlanMetre(11, 8).beatsPerMeasure, 4);
}

TEST(SongWriter, DoublesNotesAndTempoOfEighthNoteMetres) {
  Melody m = Notes({{0, Rational(1, 2)}, {Rational(1, 2), Rational(1, 2)}, {1, Rational(1, 2)}});
  m.metres.push_back({0, 3, 8});
  m.tempo = 60;
  const WrittenSong w = WriteSong(m);
  EXPECT_EQ(w.song->m_beatsPerMeasure, 3);
  EXPECT_EQ(w.song->m_info.tempo, 120);
  EXPECT_EQ(CellsText(*w.song, 0, 6), "[60 - .][- - .][60 - .][- - .][60 - .][- - .]");
  ASSERT_EQ(w.notices.size(), 1u);
}

TEST(SongWriter, KeepsTheFirstMetreAfterAChangeAndSaysSoOnce) {
  Melody m = Notes({{0, 4}, {4, 3}, {7, 3}, {10, 2}});
  m.metres = {{0, 4, 4}, {4, 3, 4}, {10, 2, 4}, {12, 4, 4}};
  const WrittenSong w = WriteSong(m);
  EXPECT_EQ(w.song->m_beatsPerMeasure, 4);
  EXPECT_EQ(w.song->m_measureCount, 3);
  ASSERT_EQ(w.notices.size(), 1u);
  EXPECT_EQ(w.notices[0].rfind("2 小節目", 0), 0u);
}

TEST(SongWriter, CutsAtTheCapacityWithANotice) {
  Melody m;
  for (int i = 0; i < 1100; ++i) {
    m.notes.push_back({i, 1, 60 + i % 12, {}});
  }
  const WrittenSong w = WriteSong(m);
  EXPECT_EQ(w.song->m_measureCount, 256);
  EXPECT_EQ(w.song->m_cells[2 * 1023].pitch[0], 60 + 1023 % 12);
  ASSERT_EQ(w.notices.size(), 1u);
  EXPECT_NE(w.notices[0].find("256"), std::string::npos);
}

TEST(SongWriter, CutsTextsOnCharacterBoundaries) {
  Melody m = Notes({{0, 1}, {1, 1}, {2, 1}});
  m.notes[0].lyric = "あいうえ";  // 8 bytes in CP932
  m.notes[1].lyric = "abcdefghij";
  m.notes[2].lyric = "😀x";  // nothing in CP932
  m.title = std::string(40, 'T');
  m.chords = {{0, "C#m7b5add"}, {Rational(3, 2), "G"}};
  const WrittenSong w = WriteSong(m);
  const CSongData& s = *w.song;
  EXPECT_EQ(FieldText(s.m_cells[0].lyric[0]), *Utf8ToCp932("あいう"));
  EXPECT_EQ(FieldText(s.m_cells[2].lyric[0]), "abcdefg");
  EXPECT_EQ(FieldText(s.m_cells[4].lyric[0]), "?x");
  EXPECT_EQ(FieldText(s.m_info.title), std::string(32, 'T'));
  EXPECT_EQ(FieldText(s.m_beatChords[0].chord), "C#m7b5a");
  EXPECT_EQ(FieldText(s.m_beatChords[1].chord), "C#m7b5a");
  EXPECT_EQ(FieldText(s.m_beatChords[1].chordMid), "G");
  EXPECT_EQ(FieldText(s.m_beatChords[2].chord), "G");
}

TEST(SongWriter, LimitsTempoAndFindsTheKeyRow) {
  Melody m = Notes({{0, 1}});
  m.tempo = 300;
  EXPECT_EQ(WriteSong(m).song->m_info.tempo, 240);
  m.tempo = 12.4;
  EXPECT_EQ(WriteSong(m).song->m_info.tempo, 40);
  m.tempo.reset();
  EXPECT_EQ(WriteSong(m).song->m_info.tempo, 120);
  m.fifths = -2;
  EXPECT_EQ(kKeyTable[WriteSong(m).song->m_keyIndex].name, "Bb");
  m.fifths = 3;
  m.minor = true;
  EXPECT_EQ(kKeyTable[WriteSong(m).song->m_keyIndex].name, "F#m");
  EXPECT_EQ(KeyRowFor(0, true), 15);
}

TEST(SongWriter, ShortNotesKeepTheirOnsetsAndRestsFillGaps) {
  // Two thirty-seconds on one sixteenth: the second takes the next slot.
  Melody m = Notes({{0, Rational(1, 8)}, {Rational(1, 8), Rational(1, 8)}, {2, 1}});
  const WrittenSong w = WriteSong(m);
  EXPECT_EQ(CellsText(*w.song, 0, 6), "[60 60 .][r - .][- - .][- - .][60 - .][- - .]");
  EXPECT_TRUE(w.notices.empty());
  // A rest across the bar line is written again at the measure start.
  const WrittenSong gap = WriteSong(Notes({{0, 3}, {6, 1}}));
  EXPECT_EQ(CellsText(*gap.song, 6, 4), "[r - .][- - .][r - .][- - .]");
}

// A note moved into the playable range takes the notes struck with it.
TEST(SongWriter, AChordMovedIntoRangeKeepsItsInterval) {
  Melody m;
  m.notes.push_back({Rational(0), Rational(1), 40, "", {}});
  m.notes[0].marks.together = {47, kNoPitch};
  const WrittenSong written = WriteSong(m);
  CSongData& song = *written.song;
  EXPECT_EQ(FitIntoPlayableRange(song, OpenStringPitches(0, 0)), 1);
  EXPECT_EQ(song.m_cells[0].pitch[0], 52);
  EXPECT_EQ(song.m_marks.At(0, 0).together[0], 59);
}

}  // namespace
}  // namespace kumoito::import
