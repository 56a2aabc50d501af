#include "song/edit_ops.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/sjis.h"
#include "song/edit_history.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

std::vector<unsigned char> State(const CSongData& song) {
  std::vector<unsigned char> state;
  CaptureSongState(song, state);
  return state;
}

// Writes a note of `length` sixteenths at position p, as typing does.
void PutNote(CSongData& song, int p, std::int32_t pitch, int length) {
  Clip clip;
  clip.items.resize(static_cast<std::size_t>(length));
  clip.items[0].pitch = pitch;
  for (int i = 1; i < length; ++i) {
    clip.items[static_cast<std::size_t>(i)].pitch = SLOT_HOLD;
  }
  ASSERT_TRUE(WriteSlots(song, p, clip));
}

void SetLyric(CSongData& song, int p, const char* cp932) {
  SetFieldText(song.m_cells[static_cast<std::size_t>(p / 2)].lyric[p % 2], cp932);
}

std::string LyricAt(const CSongData& song, int p) {
  return std::string(FieldText(song.m_cells[static_cast<std::size_t>(p / 2)].lyric[p % 2]));
}

TEST(EditOps, AWrittenNoteEndsTheOneItCutShortWithARest) {
  auto song = test::NewSong(2);
  PutNote(*song, 0, 60, 8);  // a half note
  PutNote(*song, 0, 62, 4);  // a quarter over its start
  EXPECT_EQ(SlotValueAt(*song, 0), 62);
  EXPECT_EQ(NoteLengthAt(*song, 0), 4);
  EXPECT_EQ(SlotValueAt(*song, 4), SLOT_REST);
  EXPECT_EQ(NoteLengthAt(*song, 4), 4);
  EXPECT_EQ(SlotValueAt(*song, 8), SLOT_REST);  // where the half note's own tail began
  EXPECT_EQ(NoteStartAt(*song, 7), 4);
}

TEST(EditOps, WritingPastTheEndAddsMeasuresAndRefusesPastCapacity) {
  auto song = test::NewSong(1);
  PutNote(*song, 14, 64, 4);  // over the bar line
  EXPECT_EQ(song->m_measureCount, 2);
  EXPECT_EQ(SlotValueAt(*song, 16), SLOT_HOLD);
  EXPECT_EQ(SlotValueAt(*song, 18), SLOT_REST);

  auto full = test::NewSong(kMaxBeats / 4);
  const auto before = State(*full);
  Clip clip;
  clip.items.resize(2);
  clip.items[0].pitch = 60;
  clip.items[1].pitch = SLOT_HOLD;
  EXPECT_FALSE(WriteSlots(*full, SixteenthCount(*full) - 1, clip));
  EXPECT_EQ(State(*full), before);
}

TEST(EditOps, ACopyFromInsideANoteStartsItAndCarriesMarksLyricsAndSyllables) {
  auto song = test::NewSong(2);
  PutNote(*song, 2, 60, 6);
  song->m_marks.At(1, 0).technique = Technique::kSukui;
  song->m_marks.At(1, 0).together = {67, kNoPitch};
  song->m_marks.SyllableAt(1, 0).Assign("\x83\x60");  // チ
  SetLyric(*song, 2, "\x82\xa0");                     // あ
  const Clip whole = CopySlots(*song, 2, 8);
  ASSERT_EQ(whole.items.size(), 6u);
  EXPECT_EQ(whole.items[0].pitch, 60);
  EXPECT_EQ(whole.items[0].marks.technique, Technique::kSukui);
  EXPECT_EQ(whole.items[0].syllable.Text(), "\x83\x60");
  EXPECT_STREQ(whole.items[0].lyric.data(), "\x82\xa0");

  const Clip inside = CopySlots(*song, 5, 10);
  EXPECT_EQ(inside.items[0].pitch, 60);
  EXPECT_EQ(inside.items[0].marks.technique, Technique::kSukui);
  EXPECT_EQ(inside.items[2].pitch, SLOT_HOLD);
  EXPECT_EQ(inside.items[3].pitch, SLOT_REST);
  EXPECT_EQ(CopySlots(*song, 30, 40).items.size(), 2u);  // the song ends at 32
}

TEST(EditOps, PastingAcrossABarLineAndIntoAnotherSongKeepsTheNotesAndTheirMarks) {
  auto source = test::NewSong(1);
  PutNote(*source, 0, 60, 2);
  PutNote(*source, 2, 65, 2);
  source->m_marks.At(1, 0).finger = 2;
  SetLyric(*source, 2, "ka");
  const Clip clip = CopySlots(*source, 0, 4);

  auto target = test::NewSong(2);
  ASSERT_TRUE(WriteSlots(*target, 14, clip));
  EXPECT_EQ(SlotValueAt(*target, 14), 60);
  EXPECT_EQ(SlotValueAt(*target, 16), 65);  // the next measure's first sixteenth
  EXPECT_EQ(target->m_marks.At(8, 0).finger, 2);
  EXPECT_EQ(LyricAt(*target, 16), "ka");
  EXPECT_EQ(SlotValueAt(*target, 18), SLOT_REST);
  EXPECT_EQ(target->m_measureCount, 2);
}

TEST(EditOps, ClearingLeavesRestsAtTheStartAndAtEveryBarLine) {
  auto song = test::NewSong(2);
  for (int p = 0; p < 32; p += 2) {
    PutNote(*song, p, 60 + p / 2, 2);
    song->m_marks.At(p / 2, 0).technique = Technique::kHajiki;
    SetLyric(*song, p, "a");
  }
  ClearSlots(*song, 6, 20);
  EXPECT_EQ(SlotValueAt(*song, 4), 62);
  EXPECT_EQ(SlotValueAt(*song, 6), SLOT_REST);
  EXPECT_EQ(SlotValueAt(*song, 10), SLOT_HOLD);
  EXPECT_EQ(SlotValueAt(*song, 16), SLOT_REST);
  EXPECT_EQ(SlotValueAt(*song, 20), 70);
  EXPECT_EQ(song->m_marks.At(5, 0).technique, Technique::kNone);
  EXPECT_EQ(LyricAt(*song, 8), "");
  EXPECT_EQ(song->m_marks.At(10, 0).technique, Technique::kHajiki);
  // A clear that ends inside a note leaves its tail silent, not held on.
  ClearSlots(*song, 20, 21);
  EXPECT_EQ(SlotValueAt(*song, 21), SLOT_REST);
}

TEST(EditOps, InsertedMeasuresArriveEmptyAndEverythingAfterMovesWithItsMarks) {
  auto song = test::NewSong(3);
  PutNote(*song, 14, 59, 4);  // tied into measure 2 over the bar line
  PutNote(*song, 18, 60, 4);
  song->m_marks.At(9, 0).technique = Technique::kUchi;
  song->m_marks.SyllableAt(9, 0).Assign("\x83\x65");  // テ
  song->m_marks.measures[1].flags = kRepeatStart;
  song->m_marks.measures[2].ending = 2;
  SetLyric(*song, 18, "sa");
  SetFieldText(song->m_beatChords[4].chord, "G");

  ASSERT_TRUE(InsertMeasures(*song, 1, 2));
  EXPECT_EQ(song->m_measureCount, 5);
  EXPECT_EQ(SlotValueAt(*song, 16), SLOT_REST);
  EXPECT_EQ(NoteLengthAt(*song, 16), 16);
  EXPECT_EQ(SlotValueAt(*song, 32), SLOT_REST);
  EXPECT_EQ(SlotValueAt(*song, 48), SLOT_REST);  // the tie's tail, cut off from its note
  EXPECT_EQ(SlotValueAt(*song, 49), SLOT_HOLD);
  EXPECT_EQ(SlotValueAt(*song, 50), 60);
  EXPECT_EQ(song->m_marks.At(25, 0).technique, Technique::kUchi);
  EXPECT_EQ(song->m_marks.SyllableAt(25, 0).Text(), "\x83\x65");
  EXPECT_EQ(song->m_marks.At(9, 0).technique, Technique::kNone);
  EXPECT_EQ(song->m_marks.measures[1].flags, 0);
  EXPECT_EQ(song->m_marks.measures[3].flags, kRepeatStart);
  EXPECT_EQ(song->m_marks.measures[4].ending, 2);
  EXPECT_EQ(FieldText(song->m_beatChords[12].chord), "G");
  EXPECT_EQ(LyricAt(*song, 50), "sa");
  EXPECT_EQ(LyricAt(*song, 18), "");

  ASSERT_TRUE(RemoveMeasures(*song, 1, 2));
  EXPECT_EQ(song->m_measureCount, 3);
  EXPECT_EQ(SlotValueAt(*song, 18), 60);
  EXPECT_EQ(LyricAt(*song, 18), "sa");
  EXPECT_EQ(song->m_marks.At(9, 0).technique, Technique::kUchi);
  EXPECT_EQ(song->m_marks.measures[1].flags, kRepeatStart);
  EXPECT_EQ(song->m_marks.measures[2].ending, 2);
  EXPECT_TRUE(song->m_marks.measures[3].Empty());
  EXPECT_EQ(FieldText(song->m_beatChords[4].chord), "G");
  EXPECT_EQ(FieldText(song->m_beatChords[12].chord), "----");
}

TEST(EditOps, RemovingEveryMeasureLeavesOneEmptyAndBadRangesChangeNothing) {
  auto song = test::NewSong(2);
  PutNote(*song, 0, 60, 4);
  song->m_marks.measures[0].flags = kRepeatEnd;
  const auto before = State(*song);
  EXPECT_FALSE(RemoveMeasures(*song, 2, 1));
  EXPECT_FALSE(RemoveMeasures(*song, -1, 1));
  EXPECT_FALSE(InsertMeasures(*song, 3, 1));
  EXPECT_FALSE(InsertMeasures(*song, 0, song->MaxMeasureCount()));
  EXPECT_EQ(State(*song), before);
  ASSERT_TRUE(RemoveMeasures(*song, 0, 5));
  EXPECT_EQ(song->m_measureCount, 1);
  EXPECT_EQ(SlotValueAt(*song, 0), SLOT_REST);
  EXPECT_EQ(NoteLengthAt(*song, 0), 16);
  EXPECT_TRUE(song->m_marks.measures[0].Empty());
}

TEST(EditOps, InsertAndRemoveAreOneUndoStepEach) {
  auto song = test::NewSong(2);
  PutNote(*song, 4, 63, 2);
  EditHistory history;
  const auto start = State(*song);
  history.BeginEdit(*song, "insert");
  ASSERT_TRUE(InsertMeasures(*song, 0, 1));
  history.CommitEdit(*song);
  const auto inserted = State(*song);
  history.BeginEdit(*song, "remove");
  ASSERT_TRUE(RemoveMeasures(*song, 0, 1));
  history.CommitEdit(*song);
  EXPECT_EQ(State(*song), start);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(State(*song), inserted);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(State(*song), start);
}

TEST(EditOps, AClipRoundTripsThroughItsTextAndStrangeTextsAreRefused) {
  auto song = test::NewSong(1);
  PutNote(*song, 0, 60, 3);
  PutNote(*song, 3, 72, 1);
  song->m_marks.At(0, 0) = NoteMarks{Technique::kSuriUp, 3, 2, 0, {67, 74}};
  song->m_marks.SyllableAt(1, 1).Assign("");
  song->m_marks.SyllableAt(1, 1).set = 1;
  SetLyric(*song, 0, "\x82\xb3\x82\xad\x82\xe7");  // さくら
  const Clip clip = CopySlots(*song, 0, 8);
  const std::string text = SerializeClip(clip);
  const auto back = ParseClip(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, clip);

  EXPECT_FALSE(ParseClip(""));
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n0\n"));
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n2\n60 0 0 0 255 255 0 - -\n"));   // short
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n-2 0 0 0 255 255 0 - -\n"));   // starts held
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n128 0 0 0 255 255 0 - -\n"));  // no pitch
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n60 8 0 0 255 255 0 - -\n"));   // no technique
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n60 0 0 0 200 255 0 - -\n"));   // no pitch
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n60 0 0 0 255 255 0 - 616263646566676869\n"));
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n60 0 0 0 255 255 0 - 82\n"));  // half a character
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n60 0 0 0 255 255 0 - 6x\n"));
  EXPECT_FALSE(ParseClip("KUMOITO-CLIP 1\n1\n 60 0 0 0 255 255 0 - -\n"));
  EXPECT_TRUE(ParseClip("KUMOITO-CLIP 1\n1\n60 0 0 0 255 255 0 - 6162\n"));
}

}  // namespace
}  // namespace kumoito
