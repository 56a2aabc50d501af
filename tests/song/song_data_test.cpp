#include "song/song_data.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "song/chord_names.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::NewSong;

void SetChords(CSongData& song, std::initializer_list<std::pair<const char*, const char*>> beats) {
  int b = 0;
  for (const auto& [chord, mid] : beats) {
    std::memset(&song.m_beatChords[b], 0, sizeof(BeatChord));
    std::strcpy(song.m_beatChords[b].chord, chord);
    std::strcpy(song.m_beatChords[b].chordMid, mid);
    ++b;
  }
}

void SetCell(CSongData& song, int cell, std::int32_t s0, std::int32_t s1,
             std::int32_t s2 = SLOT_NONE) {
  song.m_cells[cell].pitch[0] = s0;
  song.m_cells[cell].pitch[1] = s1;
  song.m_cells[cell].pitch[2] = s2;
}

std::vector<std::int32_t> Slots(const CSongData& song, int firstCell, int cells) {
  std::vector<std::int32_t> out;
  for (int c = firstCell; c < firstCell + cells; ++c) {
    out.insert(out.end(), song.m_cells[c].pitch, song.m_cells[c].pitch + 3);
  }
  return out;
}

TEST(SongData, NewSongHasKeyChordsAndARestPerMeasure) {
  auto song = NewSong(8, 4, 0);
  EXPECT_EQ(song->m_measureCount, 8);
  EXPECT_EQ(song->m_beatsPerMeasure, 4);
  EXPECT_EQ(song->m_headerWord, 1);
  EXPECT_EQ(song->KeyName(), "C ");
  for (int b = 0; b < kMaxBeats; ++b) {
    EXPECT_STREQ(song->m_beatChords[b].chord, b < 32 ? "C " : "----") << b;
    EXPECT_STREQ(song->m_beatChords[b].chordMid, "");
  }
  for (int c = 0; c < kMaxCells; ++c) {
    EXPECT_EQ(song->m_cells[c].pitch[0], c % 8 == 0 ? SLOT_REST : SLOT_HOLD) << c;
    EXPECT_EQ(song->m_cells[c].pitch[1], SLOT_HOLD);
    EXPECT_EQ(song->m_cells[c].pitch[2], SLOT_NONE);
  }
  EXPECT_EQ(song->m_lowestPitch, -1);
  EXPECT_EQ(song->m_highestPitch, -1);
  EXPECT_EQ(song->m_info.tempo, 120);
  EXPECT_EQ(song->m_info.infoValueB, 1);
}

TEST(SongData, KeyNamesTakeABlankUnlessMinor) {
  auto song = NewSong(1);
  song->SetKeyName(15);
  EXPECT_EQ(song->KeyName(), "Am");
  song->SetKeyName(6);
  EXPECT_EQ(song->KeyName(), "F# ");
  song->SetKeyName(29);
  EXPECT_EQ(song->KeyName(), "Abm");
  song->SetKeyName(30);  // outside the table: C
  EXPECT_EQ(song->KeyName(), "C ");
}

TEST(SongData, MissingFileWithNoBeatsBecomesEmptyFourByFour) {
  ScopedReportCapture reports;
  ScopedMessageBoxCapture boxes;
  std::int32_t beats = 0, key = 0, measures = 0;
  auto song = CSongData::LoadOrCreate("/nonexistent/none.mwd", beats, key, measures);
  EXPECT_EQ(reports.Text(), "\nSGDT00000000 楽曲情報でエラーがおきました。");
  EXPECT_EQ(boxes.Messages(), (std::vector<std::string>{"[0]", "time sign 0"}));
  EXPECT_EQ(beats, 4);
  EXPECT_EQ(measures, 4);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(song->m_measureCount, 4);
  EXPECT_EQ(song->m_beatsPerMeasure, 4);
  EXPECT_EQ(song->m_headerWord, 0);
  EXPECT_EQ(song->m_filePath, "/nonexistent/none.mwd");
  EXPECT_STREQ(song->m_beatChords[15].chord, "C ");
  EXPECT_STREQ(song->m_beatChords[16].chord, "----");
}

TEST(SongData, NewSongIsLimitedToTheCapacity) {
  auto song = NewSong(5000, 3, 99);
  EXPECT_EQ(song->m_measureCount, 341);  // 341 x 3 = 1023 beats
  EXPECT_EQ(song->m_keyIndex, 0);
  EXPECT_EQ(song->BeatCount(), 1023);
}

TEST(SongData, GrowingContinuesWithTheChordThatFollowedTheLastOne) {
  auto song = NewSong(1);
  SetChords(*song, {{"G7", ""}, {"C", ""}, {"F", ""}, {"G7", ""}});
  song->SetMeasureCount(3);
  for (int b = 4; b < 12; ++b) {
    EXPECT_STREQ(song->m_beatChords[b].chord, "C") << b;
  }
  // New cells: a rest at each measure start, holds elsewhere.
  EXPECT_EQ(Slots(*song, 8, 2), (std::vector<std::int32_t>{-1, -2, -3, -2, -2, -3}));
  EXPECT_EQ(song->m_cells[16].pitch[0], SLOT_REST);
}

TEST(SongData, GrowingAfterAMidBeatChangeTakesTheMidChord) {
  auto song = NewSong(1);
  SetChords(*song, {{"C", ""}, {"C", ""}, {"F", ""}, {"C", "G"}});
  song->SetMeasureCount(2);
  EXPECT_STREQ(song->m_beatChords[4].chord, "G");
  EXPECT_STREQ(song->m_beatChords[4].chordMid, "");
}

TEST(SongData, GrowingSkipsSkipAndFallsBackToTheKey) {
  auto song = NewSong(1);
  SetChords(*song, {{"D", ""}, {"Skip", ""}, {"Em", ""}, {"D", ""}});
  song->SetMeasureCount(2);
  EXPECT_STREQ(song->m_beatChords[4].chord, "Em");

  SetChords(*song, {{"A", ""}, {"B", ""}, {"C", ""}, {"D", ""}});
  song->SetMeasureCount(1);
  song->SetMeasureCount(2);  // D never stood before: the key's chord
  EXPECT_STREQ(song->m_beatChords[4].chord, "C ");
}

TEST(SongData, ShrinkingEndsChordsButKeepsCells) {
  auto song = NewSong(2);
  SetCell(*song, 10, 64, 65);
  song->SetMeasureCount(1);
  EXPECT_EQ(song->m_measureCount, 1);
  EXPECT_STREQ(song->m_beatChords[4].chord, "----");
  EXPECT_EQ(song->m_cells[10].pitch[0], 64);
  song->SetMeasureCount(-3);
  EXPECT_EQ(song->m_measureCount, 0);
  song->SetMeasureCount(4000);
  EXPECT_EQ(song->m_measureCount, 256);
}

TEST(SongData, NoteLengthWalksHoldsAcrossCellsAndBarLines) {
  auto song = NewSong(1);
  SetCell(*song, 0, 60, SLOT_HOLD);
  SetCell(*song, 1, SLOT_HOLD, 62);
  SetCell(*song, 2, SLOT_HOLD, SLOT_HOLD, SLOT_HOLD);  // slot 2 is never visited
  for (int c = 3; c < 8; ++c) {
    SetCell(*song, c, SLOT_HOLD, SLOT_HOLD);
  }
  EXPECT_DOUBLE_EQ(song->NoteLength(0, 0, 0), 1.5);
  EXPECT_DOUBLE_EQ(song->NoteLength(1, 0, 1), 6.5);  // up to the rest of the next measure
  song->m_cells[8].pitch[0] = SLOT_HOLD;             // held on past the song's end
  EXPECT_DOUBLE_EQ(song->NoteLength(1, 0, 1), 14.5);
  EXPECT_DOUBLE_EQ(song->NoteLength(0, 1, 0), 0.0);  // beyond the song
  EXPECT_DOUBLE_EQ(song->NoteLength(8, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(song->NoteLength(0, 0, 2), 0.0);
}

TEST(SongData, PitchRangeIgnoresSlotTwoAndCellsBeyondTheSong) {
  auto song = NewSong(1);
  song->UpdatePitchRange();
  EXPECT_EQ(song->m_lowestPitch, -1);
  EXPECT_EQ(song->m_highestPitch, -1);
  SetCell(*song, 1, 62, 70);
  SetCell(*song, 3, 55, SLOT_HOLD, 40);
  SetCell(*song, 9, 20, 100);  // second measure: not in the song
  song->UpdatePitchRange();
  EXPECT_EQ(song->m_lowestPitch, 55);
  EXPECT_EQ(song->m_highestPitch, 70);
}

TEST(SongData, NormalizeMergesRestsButNotAcrossMeasureStarts) {
  auto song = NewSong(2);
  SetCell(*song, 0, 60, SLOT_HOLD);
  SetCell(*song, 1, SLOT_REST, SLOT_HOLD);
  SetCell(*song, 2, SLOT_REST, SLOT_REST);
  SetCell(*song, 8, SLOT_REST, SLOT_HOLD);  // next measure restates its rest
  song->NormalizeCells();
  EXPECT_EQ(Slots(*song, 0, 3), (std::vector<std::int32_t>{60, -2, -3, -1, -2, -3, -2, -2, -3}));
  EXPECT_EQ(song->m_cells[8].pitch[0], SLOT_REST);
}

TEST(SongData, NormalizeCanonicalFormsOfThreeSlotCells) {
  auto song = NewSong(1);
  SetCell(*song, 0, 60, SLOT_HOLD);
  SetCell(*song, 1, SLOT_REST, SLOT_REST, SLOT_REST);  // all rest: one rest
  SetCell(*song, 2, 62, SLOT_HOLD);
  SetCell(*song, 3, SLOT_REST, SLOT_HOLD, SLOT_HOLD);  // rest held in three
  SetCell(*song, 4, SLOT_HOLD, SLOT_REST, SLOT_HOLD);  // after a rest: a plain rest
  SetCell(*song, 5, 64, 65, 66);
  SetCell(*song, 6, SLOT_HOLD, SLOT_REST, SLOT_HOLD);  // after a note: kept in three
  SetCell(*song, 7, SLOT_HOLD, SLOT_HOLD);
  song->NormalizeCells();
  EXPECT_EQ(Slots(*song, 1, 1), (std::vector<std::int32_t>{-1, -2, -3}));
  EXPECT_EQ(Slots(*song, 3, 1), (std::vector<std::int32_t>{-1, -2, -3}));
  // Cell 4 became (-1, -2, -3) in the first pass, then merged into cell 3's rest.
  EXPECT_EQ(Slots(*song, 4, 1), (std::vector<std::int32_t>{-2, -2, -3}));
  EXPECT_EQ(Slots(*song, 6, 1), (std::vector<std::int32_t>{-2, -1, -2}));
}

TEST(SongData, NormalizeRestatesARestHeldOverABarLineAfterATriplet) {
  // One beat per measure, so cell 2 starts the second measure.
  auto song = NewSong(3, 1);
  SetCell(*song, 0, 60, SLOT_HOLD);
  SetCell(*song, 1, 60, 61, SLOT_REST);  // divided in three, ends in a rest
  SetCell(*song, 2, SLOT_HOLD, 62);
  SetCell(*song, 4, 63, 61, SLOT_REST);
  SetCell(*song, 5, SLOT_HOLD, 64);  // inside a measure: merged as the rest's hold
  song->NormalizeCells();
  EXPECT_EQ(Slots(*song, 2, 1), (std::vector<std::int32_t>{-1, 62, -3}));
  EXPECT_EQ(Slots(*song, 5, 1), (std::vector<std::int32_t>{-2, 64, -3}));
}

TEST(SongData, TrimTextsRemovesTrailingBlanksExceptInExtraTextSix) {
  auto song = NewSong(1);
  std::strcpy(song->m_info.title, "Sakura \x81\x40 ");
  std::strcpy(song->m_info.composer, "   ");
  std::strcpy(song->m_info.lyricist, "\x82\x40");  // ends in trail byte 0x40: not a blank
  song->SetExtraText(0, "note  ");
  song->SetExtraText(6, "kept  ");
  song->TrimTexts();
  EXPECT_STREQ(song->m_info.title, "Sakura");
  EXPECT_EQ(std::memcmp(song->m_info.title + 6, "\0\0\0\0\0", 5), 0);
  EXPECT_STREQ(song->m_info.composer, "");
  EXPECT_STREQ(song->m_info.lyricist, "\x82\x40");
  EXPECT_EQ(song->ExtraText(0), "note");
  EXPECT_EQ(song->ExtraText(6), "kept  ");
}

TEST(SongData, PackedExtraTextFillsFreeLyricFieldsInOrder) {
  auto song = NewSong(1);
  SetCell(*song, 0, 60, 62);  // slots 0 and 1 hold notes: only slot 2 is free
  song->SetExtraText(0, "abc");
  song->PackExtraTexts();
  EXPECT_EQ(std::memcmp(song->m_cells[0].lyric[2], "abc\0\0\0\0\0", 8), 0);
  EXPECT_EQ(std::memcmp(song->m_cells[1].lyric[0], "\0\0\0\0\0\0\0\0", 8), 0);
  song->m_cells[0].lyric[0][0] = 'x';  // a lyric of a note: never touched
  song->ClearFreeLabels();
  EXPECT_EQ(song->m_cells[0].lyric[2][0], '\0');
  EXPECT_EQ(song->m_cells[0].lyric[0][0], 'x');
}

TEST(SongData, ExtraTextsRoundTripThroughFreeFields) {
  auto song = NewSong(8);
  for (int i = 0; i < kExtraTextCount; ++i) {
    song->SetExtraText(i,
                       std::string(static_cast<std::size_t>(i * 37), static_cast<char>('a' + i)));
  }
  song->PackExtraTexts();
  for (auto& text : song->m_extraTexts) {
    text.fill(0);
  }
  song->UnpackExtraTexts();
  for (int i = 0; i < kExtraTextCount; ++i) {
    EXPECT_EQ(song->ExtraText(i), std::string(static_cast<std::size_t>(i * 37), 'a' + i)) << i;
  }
  // Unpacking leaves the free fields empty again.
  for (const auto& cell : song->m_cells) {
    for (int s = 0; s < 3; ++s) {
      if (cell.pitch[s] < 0) {
        ASSERT_EQ(cell.lyric[s][0], '\0');
      }
    }
  }
}

TEST(SongData, ExtraTextsAreCutWhereFreeFieldsRunOut) {
  auto song = NewSong(1);
  for (int c = 0; c < kMaxCells; ++c) {
    SetCell(*song, c, 60, 60, 60);  // no free field except the ones below
  }
  SetCell(*song, 5, 60, 60, SLOT_NONE);
  SetCell(*song, 9, SLOT_REST, 60, 60);
  song->SetExtraText(0, "0123456789ABCDEFGHIJ");
  song->PackExtraTexts();
  EXPECT_EQ(std::string(song->m_cells[5].lyric[2], 8), "01234567");
  EXPECT_EQ(std::string(song->m_cells[9].lyric[0], 8), "89ABCDEF");
  for (auto& text : song->m_extraTexts) {
    text.fill(0);
  }
  song->UnpackExtraTexts();
  EXPECT_EQ(song->ExtraText(0), "0123456789ABCDEF");
  EXPECT_EQ(song->ExtraText(1), "");
}

TEST(SongData, UnpackCutsOverlongTextsAndDropsFillMarks) {
  auto song = NewSong(100);
  // Text 0 runs for 3000 characters; text 1 starts with 0xCD; text 2 is "ok".
  std::string stream(3000, 'q');
  stream += '\0';
  stream += "\xCD\xCDzz";
  stream += '\0';
  stream += "ok";
  stream += '\0';
  std::size_t pos = 0;
  for (auto& cell : song->m_cells) {
    for (int s = 0; s < 3 && pos < stream.size(); ++s) {
      if (cell.pitch[s] < 0) {
        for (int i = 0; i < 8 && pos < stream.size(); ++i) {
          cell.lyric[s][i] = stream[pos++];
        }
      }
    }
  }
  song->UnpackExtraTexts();
  EXPECT_EQ(song->ExtraText(0), std::string(2047, 'q'));
  EXPECT_EQ(song->ExtraText(1), "");
  EXPECT_EQ(song->ExtraText(2), "ok");
}

TEST(SongData, CollapseBlanksKeepsOneBlankBetweenWordsOnALine) {
  auto song = NewSong(1);
  const std::string text = "a  b\x81\x40\x81\x40 c   \r\nd \x81\x40\n  e\x82\x40 f  ";
  std::memcpy(song->m_freeText, text.c_str(), text.size() + 1);
  song->CollapseBlanks();
  EXPECT_EQ(std::string(song->m_freeText), "a b c\r\nd\n e\x82\x40 f");
  EXPECT_EQ(song->m_freeText[text.size() - 1], '\0');
}

TEST(SongData, CollapseBlanksTerminatesOnlyAFullBlock) {
  auto song = NewSong(1);
  std::memset(song->m_freeText, 'x', kFreeTextSize);
  song->CollapseBlanks();
  EXPECT_EQ(std::strlen(song->m_freeText), static_cast<std::size_t>(kFreeTextSize - 1));

  // Ended early: the removed blank is zeroed, the bytes after the end stay.
  std::memset(song->m_freeText, 'y', kFreeTextSize);
  std::memcpy(song->m_freeText, "a  b", 5);
  song->CollapseBlanks();
  EXPECT_EQ(std::memcmp(song->m_freeText, "a b\0\0yy", 7), 0);
  EXPECT_EQ(song->m_freeText[kFreeTextSize - 1], 'y');
}

TEST(SongData, Add9SpellingOnlyTouchesTheBeatChord) {
  auto song = NewSong(2);
  SetChords(*song, {{"Am9", "C9"}, {"C9", ""}, {"F#9", ""}, {"C7", ""}, {"Cadd9", ""}, {"9", ""}});
  song->NormalizeAdd9();
  EXPECT_STREQ(song->m_beatChords[0].chord, "Amadd9");
  EXPECT_STREQ(song->m_beatChords[0].chordMid, "C9");
  EXPECT_STREQ(song->m_beatChords[1].chord, "Cadd9");
  EXPECT_STREQ(song->m_beatChords[2].chord, "F#add9");
  EXPECT_STREQ(song->m_beatChords[3].chord, "C7");
  EXPECT_STREQ(song->m_beatChords[4].chord, "Cadd9");
  EXPECT_STREQ(song->m_beatChords[5].chord, "9");
}

TEST(SongData, Add9SpellingLeavesEveryNamedChordAlone) {
  // Every chord the shared table names, on every root, is read back as
  // written: none of them may look like an old add9 spelling.
  auto song = NewSong(1);
  for (std::string_view root : kChordRoots) {
    for (const ChordSuffix& row : kChordSuffixes) {
      const std::string chord = std::string(root) + std::string(row.suffix);
      if (chord.size() >= static_cast<std::size_t>(kChordFieldSize)) {
        continue;
      }
      SetFieldText(song->m_beatChords[0].chord, chord);
      song->NormalizeAdd9();
      EXPECT_EQ(FieldText(song->m_beatChords[0].chord), chord);
      EXPECT_TRUE(SuffixReadsBack(row.suffix)) << row.suffix;
    }
  }
  EXPECT_FALSE(SuffixReadsBack("9"));
  EXPECT_FALSE(SuffixReadsBack("m9"));
  EXPECT_TRUE(SuffixReadsBack("7b9"));
}

TEST(SongData, Add9SpellingLooksOnlyAtTheChordsText) {
  using namespace std::string_literals;
  // Empty chords whose bytes after the terminator would read as an add9.
  const std::string junk1 =
      "\0"
      "9xxxxxx"s;
  const std::string junk2 =
      "\0"
      "x9xxxxx"s;
  auto song = NewSong(1);
  junk1.copy(song->m_beatChords[0].chord, kChordFieldSize);
  junk2.copy(song->m_beatChords[1].chord, kChordFieldSize);
  std::memcpy(song->m_beatChords[2].chord, "Gm9xxxxx", kChordFieldSize);  // full field
  song->NormalizeAdd9();
  EXPECT_EQ(std::string(song->m_beatChords[0].chord, kChordFieldSize), junk1);
  EXPECT_EQ(std::string(song->m_beatChords[1].chord, kChordFieldSize), junk2);
  EXPECT_EQ(std::string(song->m_beatChords[2].chord, kChordFieldSize), "Gmadd9\0x"s);
}

TEST(SongData, CopyMeasuresTakesTheFirstMeasuresOnly) {
  auto source = NewSong(4, 3, 15);
  source->m_info.tempo = 90;
  SetCell(*source, 0, SLOT_HOLD, 62);
  SetCell(*source, 5, 64, 65);
  SetCell(*source, 6, 70, 71);  // measure 2 (cells 6..11): not copied
  std::strcpy(source->m_beatChords[2].chord, "E7");
  source->m_beatMarkA[1] = 7;
  source->SetExtraText(0, "not copied");
  auto copy = CSongData::CopyMeasures(*source, 1);
  EXPECT_EQ(copy->m_measureCount, 1);
  EXPECT_EQ(copy->m_beatsPerMeasure, 3);
  EXPECT_EQ(copy->m_keyIndex, 15);
  EXPECT_EQ(copy->m_info.tempo, 90);
  EXPECT_EQ(copy->m_cells[0].pitch[0], SLOT_REST);
  EXPECT_EQ(copy->m_cells[5].pitch[0], 64);
  EXPECT_EQ(copy->m_cells[6].pitch[0], 0);
  EXPECT_STREQ(copy->m_beatChords[2].chord, "E7");
  EXPECT_EQ(copy->m_beatMarkA[1], 7);
  EXPECT_EQ(copy->ExtraText(0), "");
  EXPECT_EQ(copy->KeyName(), "");
  EXPECT_EQ(CSongData::CopyMeasures(*source, 9999)->m_measureCount, 341);
}

}  // namespace
}  // namespace kumoito
