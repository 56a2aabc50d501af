#include "input/score_cursor.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/sjis.h"
#include "song/edit_history.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

// 本調子 on C: open strings 48, 53, 60.
class ScoreCursorTest : public ::testing::Test {
 protected:
  void Open(int measures, int beats = 4) {
    song = test::NewSong(measures, beats);
    cursor.SetSong(song.get());
    cursor.SetHistory(&history);
    cursor.SetStrings(OpenStringPitches(0, 0));
  }
  // Types each character as its own key; a few names stand for keys.
  void Type(std::string_view keys, bool alt = false) {
    for (const char c : keys) {
      KeyStroke k;
      k.alt = alt;
      if (c == ' ') {
        k.key = EntryKey::kSpace;
      } else {
        k.text = std::string(1, c);
      }
      cursor.OnKey(k);
    }
  }
  bool Press(EntryKey key, bool shift = false, bool ctrl = false, bool alt = false) {
    KeyStroke k;
    k.key = key;
    k.shift = shift;
    k.ctrl = ctrl;
    k.alt = alt;
    return cursor.OnKey(k);
  }
  std::int32_t At(int p) const { return SlotValueAt(*song, p); }
  const NoteMarks& MarksAt(int p) const { return song->m_marks.At(p / 2, p % 2); }
  std::string LyricAt(int p) const {
    return std::string(FieldText(song->m_cells[static_cast<std::size_t>(p / 2)].lyric[p % 2]));
  }

  int songChanges = 0;
  int moves = 0;
  ScoreCursor cursor{[this](bool songChanged) { songChanged ? ++songChanges : ++moves; }};
  EditHistory history;
  std::unique_ptr<CSongData> song;
};

TEST_F(ScoreCursorTest, DigitsTypeKandokoroOnTheCursorsStringAndMoveOnByTheNoteValue) {
  Open(2);
  Type("30");  // 3 and ○ on 一の糸, quarters
  EXPECT_EQ(At(0), 48 + 3);
  EXPECT_EQ(At(4), 48);
  EXPECT_EQ(cursor.Position(), 8);
  EXPECT_EQ(NoteLengthAt(*song, 0), 4);
  ASSERT_TRUE(Press(EntryKey::kUp));
  ASSERT_TRUE(Press(EntryKey::kUp));
  Type("o");  // ○ on 三の糸
  EXPECT_EQ(At(8), 60);
  EXPECT_EQ(MarksAt(8).string, 0);  // placement's own string
  ASSERT_TRUE(Press(EntryKey::kDown));
  Type("6");  // 6 on 二の糸 sounds 60 too: it keeps the string it was typed on
  EXPECT_EQ(At(12), 53 + 7);
  EXPECT_EQ(MarksAt(12).string, 2);
  EXPECT_EQ(history.UndoCount(), 4u);
  EXPECT_EQ(history.UndoName(), "小節 1 の音");
  Type("1");  // into measure 2
  EXPECT_EQ(history.UndoName(), "小節 2 の音");
}

TEST_F(ScoreCursorTest, SharpsFlatsAndAltDigitsReachEveryPosition) {
  Open(2);
  Type("3#");  // ＃ between 3 and 4
  EXPECT_EQ(At(0), 48 + 4);
  Type("9#");  // ｂ
  EXPECT_EQ(At(4), 48 + 11);
  Type("4b");
  EXPECT_EQ(At(8), 48 + 4);
  Type("2", true);  // 12
  EXPECT_EQ(At(12), 48 + 14);
  Type("3", true);
  Type("#");  // 1＃
  EXPECT_EQ(At(16), 48 + 16);
  Type("9", true);
  Type("##");  // 1ｂ, then 20
  EXPECT_EQ(At(20), 48 + 24);
  Type("0b");  // nothing below ○: the note stays
  EXPECT_EQ(At(24), 48);
  EXPECT_EQ(KandokoroRowOfNumber(21), std::nullopt);
}

TEST_F(ScoreCursorTest, RestsHoldsAndNoteValuesByKey) {
  Open(2);
  Type("[");  // eighths
  EXPECT_EQ(cursor.Step(), 2);
  Type("1 2.-");
  EXPECT_EQ(At(0), 49);
  EXPECT_EQ(At(2), SLOT_REST);
  EXPECT_EQ(At(4), 50);
  EXPECT_EQ(At(6), SLOT_REST);
  EXPECT_EQ(At(8), SLOT_HOLD);  // the rest held on
  EXPECT_EQ(NoteLengthAt(*song, 6), 4);
  Type("]]>");  // dotted half
  EXPECT_EQ(cursor.Step(), 12);
  Type("5");
  EXPECT_EQ(NoteLengthAt(*song, 10), 12);
  EXPECT_EQ(song->m_measureCount, 2);
  Type(">[[[[[");  // never shorter than a sixteenth
  EXPECT_EQ(cursor.Step(), 1);
  Type(">");
  EXPECT_EQ(cursor.Step(), 1);
}

TEST_F(ScoreCursorTest, TypingAtTheEndMakesTheSongLongerInTheSameStep) {
  Open(1);
  Type("1111");
  EXPECT_EQ(cursor.Position(), 16);
  const std::size_t steps = history.UndoCount();
  Type("2");
  EXPECT_EQ(song->m_measureCount, 2);
  EXPECT_EQ(At(16), 50);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(song->m_measureCount, 1);
  EXPECT_EQ(history.UndoCount(), steps);
}

TEST_F(ScoreCursorTest, ArrowsHomeEndAndMeasureJumps) {
  Open(3);
  Press(EntryKey::kRight);
  EXPECT_EQ(cursor.Position(), 4);
  Press(EntryKey::kEnd);
  EXPECT_EQ(cursor.Position(), 12);
  Press(EntryKey::kRight, false, true);
  EXPECT_EQ(cursor.Position(), 16);
  Press(EntryKey::kRight);
  Press(EntryKey::kLeft, false, true);
  EXPECT_EQ(cursor.Position(), 16);
  Press(EntryKey::kLeft, false, true);
  EXPECT_EQ(cursor.Position(), 0);
  Press(EntryKey::kLeft);
  EXPECT_EQ(cursor.Position(), 0);
  Press(EntryKey::kEnd, false, true);
  EXPECT_EQ(cursor.Position(), 48);  // where the song grows
  Press(EntryKey::kRight);
  EXPECT_EQ(cursor.Position(), 48);
  Press(EntryKey::kHome);
  EXPECT_EQ(cursor.Position(), 48);
  Press(EntryKey::kHome, false, true);
  EXPECT_EQ(cursor.Position(), 0);
  Press(EntryKey::kDown);
  EXPECT_EQ(cursor.String(), 0);
  Press(EntryKey::kUp);
  Press(EntryKey::kUp);
  Press(EntryKey::kUp);
  EXPECT_EQ(cursor.String(), 2);
  EXPECT_EQ(songChanges, 0);
}

TEST_F(ScoreCursorTest, MarksGoOnTheNoteJustTypedAndToggle) {
  Open(2);
  Type("3s");
  EXPECT_EQ(MarksAt(0).technique, Technique::kSukui);
  Type("h");
  EXPECT_EQ(MarksAt(0).technique, Technique::kHajiki);
  Type("h");
  EXPECT_EQ(MarksAt(0).technique, Technique::kNone);
  Type("ii");
  EXPECT_EQ(MarksAt(0).finger, 2);
  EXPECT_EQ(history.UndoName(), "指");
  Type(" k");  // ケシ on a rest
  EXPECT_EQ(MarksAt(4).technique, Technique::kKeshi);
  Type(" u");  // no ウチ on a rest
  EXPECT_EQ(MarksAt(8).technique, Technique::kNone);
  // After a move the marks go on the note at the cursor.
  Press(EntryKey::kHome);
  Type("/");
  EXPECT_EQ(MarksAt(0).technique, Technique::kSuriUp);
}

TEST_F(ScoreCursorTest, TwoStringNotesByPlusAndByTheMidiEntry) {
  Open(2);
  Type("0+");  // ○ on 一の糸; the second note's string is 二の糸
  EXPECT_EQ(cursor.String(), 1);
  ASSERT_TRUE(Press(EntryKey::kUp));
  EXPECT_EQ(cursor.String(), 2);
  Type("2");  // 2 on 三の糸
  EXPECT_EQ(At(0), 48);
  EXPECT_EQ(MarksAt(0).together[0], 62);
  EXPECT_EQ(cursor.String(), 0);
  EXPECT_EQ(cursor.Position(), 4);
  EXPECT_EQ(history.UndoName(), "重音");
  Type("+o");  // ○ on 二の糸 too: a three-string note
  EXPECT_EQ(MarksAt(0).together[1], 53);
  Type("+");
  Press(EntryKey::kEscape);
  EXPECT_EQ(cursor.String(), 0);
  EXPECT_EQ(MarksAt(0).together[0], 62);

  ASSERT_TRUE(cursor.EnterTogether(60, 72));
  EXPECT_EQ(At(4), 72);  // the higher is the melody
  EXPECT_EQ(MarksAt(4).together[0], 60);
  ASSERT_TRUE(cursor.EnterTogether(40, 62));  // below the first string: the melody alone
  EXPECT_EQ(At(8), 62);
  EXPECT_EQ(MarksAt(8).together[0], kNoPitch);
  ASSERT_TRUE(cursor.EnterPitch(55));
  EXPECT_EQ(At(12), 55);
  EXPECT_EQ(cursor.String(), 1);
}

TEST_F(ScoreCursorTest, AltArrowsMoveTheNoteToAnotherStringThatCanPlayIt) {
  Open(2);
  ASSERT_TRUE(cursor.EnterPitch(60));  // placement: ○ on 三の糸
  EXPECT_EQ(cursor.String(), 2);
  ASSERT_TRUE(Press(EntryKey::kDown, false, false, true));
  EXPECT_EQ(MarksAt(0).string, 2);  // 7 on 二の糸
  EXPECT_EQ(cursor.String(), 1);
  ASSERT_TRUE(Press(EntryKey::kDown, false, false, true));
  EXPECT_EQ(MarksAt(0).string, 1);  // 12 on 一の糸
  EXPECT_FALSE(Press(EntryKey::kDown, false, false, true));
  ASSERT_TRUE(Press(EntryKey::kUp, false, false, true));
  ASSERT_TRUE(Press(EntryKey::kUp, false, false, true));
  EXPECT_EQ(MarksAt(0).string, 0);
  ASSERT_TRUE(cursor.EnterPitch(50));  // only 一の糸 plays it
  EXPECT_FALSE(cursor.MoveNoteToOtherString(1));
}

TEST_F(ScoreCursorTest, ShiftArrowsSelectAcrossMeasuresAndDeleteCutPasteEditIt) {
  Open(3);
  Type("12345");
  Press(EntryKey::kHome, false, true);
  Press(EntryKey::kRight);
  Press(EntryKey::kRight, true);
  Press(EntryKey::kRight, true);
  Press(EntryKey::kRight, true);
  Press(EntryKey::kRight, true);
  ASSERT_TRUE(cursor.Selection());
  EXPECT_EQ(*cursor.Selection(), std::make_pair(4, 20));
  const auto clip = cursor.Copy();
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->items.size(), 16u);
  ASSERT_TRUE(cursor.Cut());
  EXPECT_EQ(history.UndoName(), "切り取り");
  EXPECT_EQ(At(4), SLOT_REST);
  EXPECT_EQ(At(16), SLOT_REST);
  EXPECT_FALSE(cursor.Selection());
  Press(EntryKey::kRight, false, true);
  Press(EntryKey::kRight, false, true);
  Press(EntryKey::kRight);  // the second beat of measure 3
  ASSERT_TRUE(cursor.Paste(*clip));
  EXPECT_EQ(At(36), 50);
  EXPECT_EQ(At(44), 53);
  EXPECT_EQ(At(48), 54);  // the clip's last note in a new measure 4
  EXPECT_EQ(song->m_measureCount, 4);
  EXPECT_EQ(cursor.Position(), 52);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(song->m_measureCount, 3);
  // Delete without a selection clears the note at the cursor.
  Press(EntryKey::kHome, false, true);
  ASSERT_TRUE(Press(EntryKey::kDelete));
  EXPECT_EQ(At(0), SLOT_REST);
  EXPECT_EQ(history.UndoName(), "削除");
}

TEST_F(ScoreCursorTest, BackspaceTakesBackTheNoteJustTyped) {
  Open(2);
  Type("12");
  ASSERT_TRUE(Press(EntryKey::kBackspace));
  EXPECT_EQ(cursor.Position(), 4);
  EXPECT_EQ(At(4), SLOT_REST);
  EXPECT_EQ(At(0), 49);
}

TEST_F(ScoreCursorTest, MeasuresGoInAndOutAtTheCursorAsOneStepEach) {
  Open(2);
  Type("1111");
  Type("2");
  song->m_marks.measures[1].flags = kRepeatEnd;
  Press(EntryKey::kLeft);
  ASSERT_TRUE(Press(EntryKey::kInsert, false, true));
  EXPECT_EQ(history.UndoName(), "小節の挿入");
  EXPECT_EQ(song->m_measureCount, 3);
  EXPECT_EQ(cursor.Position(), 16);
  EXPECT_EQ(At(16), SLOT_REST);
  EXPECT_EQ(At(32), 50);
  EXPECT_EQ(At(0), 49);
  EXPECT_TRUE(song->m_marks.measures[1].Empty());
  EXPECT_EQ(song->m_marks.measures[2].flags, kRepeatEnd);
  ASSERT_TRUE(Press(EntryKey::kDelete, false, true));
  EXPECT_EQ(history.UndoName(), "小節の削除");
  EXPECT_EQ(song->m_measureCount, 2);
  EXPECT_EQ(At(16), 50);
  EXPECT_EQ(song->m_marks.measures[1].flags, kRepeatEnd);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(At(32), 50);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(At(16), 50);
  EXPECT_EQ(song->m_measureCount, 2);
}

TEST_F(ScoreCursorTest, LyricsAreTypedNoteByNoteAndCutAtSevenBytes) {
  Open(2);
  Type("12 3");
  Press(EntryKey::kHome, false, true);
  KeyStroke lyric;
  lyric.text = "l";
  lyric.ctrl = true;
  ASSERT_TRUE(cursor.OnKey(lyric));
  ASSERT_TRUE(cursor.LyricMode());
  ASSERT_TRUE(cursor.TypeLyric("さ"));
  ASSERT_TRUE(cursor.TypeLyric("く"));
  EXPECT_EQ(LyricAt(0), "\x82\xb3\x82\xad");
  Press(EntryKey::kTab);
  EXPECT_EQ(cursor.Position(), 4);
  Type("ra ");  // Latin letters too; Space goes on
  EXPECT_EQ(LyricAt(4), "ra");
  EXPECT_EQ(cursor.Position(), 12);  // over the rest
  ASSERT_TRUE(cursor.TypeLyric("やよいのそら"));
  EXPECT_EQ(LyricAt(12), "\x82\xe2\x82\xe6\x82\xa2");  // やよい: 6 of the 7 bytes
  EXPECT_NE(cursor.Note().find("やよい"), std::string::npos);
  EXPECT_FALSE(cursor.TypeLyric("😀"));
  EXPECT_FALSE(cursor.Note().empty());
  Press(EntryKey::kBackspace);
  EXPECT_EQ(LyricAt(12), "\x82\xe2\x82\xe6");
  Press(EntryKey::kBacktab);
  EXPECT_EQ(cursor.Position(), 4);
  Press(EntryKey::kEscape);
  EXPECT_FALSE(cursor.LyricMode());
  EXPECT_EQ(history.UndoName(), "歌詞");
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(LyricAt(12), "\x82\xe2\x82\xe6\x82\xa2");
  // From the rests after the last note, lyric mode goes back to it.
  Press(EntryKey::kEnd, false, true);
  cursor.SetLyricMode(true);
  EXPECT_EQ(cursor.Position(), 12);
}

TEST_F(ScoreCursorTest, KeysWithoutASongOrForTheWindowAreLeftToIt) {
  KeyStroke digit;
  digit.text = "3";
  EXPECT_FALSE(cursor.OnKey(digit));
  Open(1);
  KeyStroke copy;
  copy.text = "c";
  copy.ctrl = true;
  EXPECT_FALSE(cursor.OnKey(copy));
  EXPECT_FALSE(Press(EntryKey::kSpace, false, true));  // Ctrl+Space plays
  EXPECT_FALSE(Press(EntryKey::kEscape));              // stops a playback
  KeyStroke letter;
  letter.text = "z";
  EXPECT_FALSE(cursor.OnKey(letter));
  EXPECT_EQ(history.UndoCount(), 0u);
}

}  // namespace
}  // namespace kumoito
