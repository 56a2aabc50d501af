#include "input/input_tool.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/message_box.h"
#include "common/sjis.h"
#include "song/edit_history.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

constexpr std::int32_t kBaseC = 48;  // first string C
constexpr std::int32_t kHonchoshi = 0;

// A tool set up as the main window leaves it after opening a song: the
// range 1 .. measures + 1, strings from the first string and tuning.
class InputToolTest : public ::testing::Test {
 protected:
  void Open(std::int32_t measures, std::int32_t beats = 4) {
    song = test::NewSong(measures, beats);
    tool.SetSong(song.get());
    tool.SetMeasureRange(1, song->m_measureCount + 1);
    tool.SetStringState(kBaseC, kHonchoshi);
    redraws = 0;
  }
  std::int32_t SlotAt(int measure, int beat) const {
    const auto a = CInputDlg::AddressOf(*song, measure, beat);
    return song->m_cells[a->cell].pitch[a->slot];
  }
  void Initialize() { tool.Initialize(); }

  int redraws = 0;
  CInputDlg tool{[this] { ++redraws; }};
  std::unique_ptr<CSongData> song;
};

TEST_F(InputToolTest, ControlEventsBeforeInitialisationAreIgnored) {
  Open(8);
  tool.OnMeasureCountChanged(3);
  tool.OnTypeSelected(kTypeHold);
  EXPECT_EQ(song->m_measureCount, 8);
  EXPECT_EQ(SlotAt(1, 1), SLOT_REST);
  EXPECT_EQ(redraws, 0);
}

TEST_F(InputToolTest, FreshToolOnTheScratchSongHasItsRanges) {
  Initialize();
  EXPECT_EQ(tool.MeasureLow(), 1);
  EXPECT_EQ(tool.MeasureHigh(), 1);
  EXPECT_EQ(tool.MeasureCount(), 8);
  EXPECT_EQ(tool.Song(), nullptr);
  Open(8);
  EXPECT_EQ(tool.MeasureLow(), 1);
  EXPECT_EQ(tool.MeasureHigh(), 9);
  EXPECT_EQ(tool.Measure(), 1);
  EXPECT_EQ(tool.Beat(), 1);
  EXPECT_EQ(tool.MeasureCount(), 8);
  // Beat 1 of a new song is the rest that opens the measure.
  EXPECT_EQ(tool.TypeIndex(), kTypeRest);
  EXPECT_FALSE(tool.ListsEnabled());
}

TEST_F(InputToolTest, BeatPositionsAddressSixteenthsOfHalfBeatCells) {
  Open(8);
  auto a = CInputDlg::AddressOf(*song, 2, 3);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->cell, 9);
  EXPECT_EQ(a->slot, 0);
  a = CInputDlg::AddressOf(*song, 2, 4);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->cell, 9);
  EXPECT_EQ(a->slot, 1);
  // In a three-beat measure the last positions lie in the next measure.
  Open(8, 3);
  a = CInputDlg::AddressOf(*song, 1, 16);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->cell, 7);
  EXPECT_FALSE(CInputDlg::AddressOf(*song, 0, 1));
  EXPECT_FALSE(CInputDlg::AddressOf(*song, 1, 17));
}

TEST_F(InputToolTest, StringAndKandokoroWriteTheirPitch) {
  Initialize();
  Open(8);
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  // 発弦 writes 60, which the third string plays open, and writes it again
  // from those selections.
  tool.OnTypeSelected(kTypePluck);
  EXPECT_EQ(SlotAt(1, 1), 60);
  EXPECT_EQ(tool.StringIndex(), 2);
  EXPECT_EQ(tool.KandokoroIndex(), 1);
  EXPECT_TRUE(tool.ListsEnabled());
  EXPECT_EQ(redraws, 1);

  tool.OnStringSelected(1);  // string "2", "○"
  EXPECT_EQ(SlotAt(1, 1), 53);
  tool.OnKandokoroSelected(0);  // "●" on string "2"
  EXPECT_EQ(SlotAt(1, 1), 52);
  tool.OnStringSelected(0);  // "●" on string "1"
  EXPECT_EQ(SlotAt(1, 1), 47);
  EXPECT_EQ(redraws, 4);
  // Other positions are untouched.
  EXPECT_EQ(SlotAt(1, 2), SLOT_HOLD);
  EXPECT_EQ(SlotAt(2, 1), SLOT_REST);
}

TEST_F(InputToolTest, RestAndHoldDisableTheListsAndShowAgain) {
  Initialize();
  Open(8);
  ASSERT_TRUE(tool.SelectPosition(3, 5));
  tool.OnTypeSelected(kTypeRest);
  EXPECT_EQ(SlotAt(3, 5), SLOT_REST);
  EXPECT_EQ(tool.TypeIndex(), kTypeRest);
  EXPECT_FALSE(tool.ListsEnabled());
  EXPECT_EQ(redraws, 1);
  // Disabled lists send nothing; were they to, nothing is written.
  tool.OnStringSelected(2);
  EXPECT_EQ(SlotAt(3, 5), SLOT_REST);

  tool.OnBeatChanged(6);
  EXPECT_EQ(tool.TypeIndex(), kTypeHold);
  tool.OnBeatChanged(5);
  EXPECT_EQ(tool.TypeIndex(), kTypeRest);

  tool.OnTypeSelected(kTypeHold);
  EXPECT_EQ(SlotAt(3, 5), SLOT_HOLD);
  EXPECT_EQ(tool.TypeIndex(), kTypeHold);
  EXPECT_FALSE(tool.ListsEnabled());
  EXPECT_EQ(redraws, 2);
}

TEST_F(InputToolTest, NoteValueIsTheRowOfItsSixteenths) {
  Initialize();
  Open(8);
  // Notes of n sixteenths from slot 0 of cell 0: holds after it, then a rest.
  const auto noteOf = [this](int sixteenths) {
    for (int i = 0; i < 40; ++i) {
      song->m_cells[i / 2].pitch[i % 2] = i == 0 ? 62 : i < sixteenths ? SLOT_HOLD : SLOT_REST;
    }
    EXPECT_TRUE(tool.SelectPosition(1, 1));
    return tool.NoteValueIndex();
  };
  EXPECT_EQ(kInputNoteValueItems[noteOf(1)], "(1)16分音符");
  EXPECT_EQ(kInputNoteValueItems[noteOf(2)], "(2)8分音符");
  EXPECT_EQ(kInputNoteValueItems[noteOf(3)], "(3)付点8分音符");
  EXPECT_EQ(kInputNoteValueItems[noteOf(4)], "(4)4分音符");
  EXPECT_EQ(kInputNoteValueItems[noteOf(8)], "(8)2分音符");
  EXPECT_EQ(kInputNoteValueItems[noteOf(12)], "(12)付点2分音符");
  EXPECT_EQ(kInputNoteValueItems[noteOf(16)], "(16)全音符");
  EXPECT_EQ(kInputNoteValueItems[noteOf(17)], "その他");
  EXPECT_EQ(kInputNoteValueItems[noteOf(32)], "その他");
}

TEST_F(InputToolTest, ThirdSlotValuesLeaveTheListsAsTheyWere) {
  Initialize();
  Open(8);
  song->m_cells[0].pitch[0] = 60;
  song->m_cells[0].pitch[1] = SLOT_NONE;
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  ASSERT_EQ(tool.TypeIndex(), kTypePluck);
  ASSERT_TRUE(tool.SelectPosition(1, 2));
  EXPECT_EQ(tool.TypeIndex(), kTypePluck);
  EXPECT_TRUE(tool.ListsEnabled());
}

TEST_F(InputToolTest, NewStringsPlaceTheShownNoteAgain) {
  Initialize();
  Open(8);
  song->m_cells[0].pitch[0] = 57;
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  EXPECT_EQ(tool.StringIndex(), 1);     // 二の糸 (53) ...
  EXPECT_EQ(tool.KandokoroIndex(), 5);  // ... four semitones up: "＃"
  tool.SetStringState(57, kHonchoshi);  // first string A
  EXPECT_EQ(tool.StringIndex(), 0);
  EXPECT_EQ(tool.KandokoroIndex(), 1);
  // Notes are entered on the new strings too.
  tool.OnStringSelected(1);
  EXPECT_EQ(song->m_cells[0].pitch[0], 62);
  tool.SetStringState(kBaseC, 1);  // 二上り: 48, 55, 60; 62 is "２" on string 3
  EXPECT_EQ(tool.StringIndex(), 2);
  EXPECT_EQ(tool.KandokoroIndex(), 3);
  tool.OnStringSelected(1);  // "２" on the second string, a fifth up
  EXPECT_EQ(song->m_cells[0].pitch[0], 57);
}

TEST_F(InputToolTest, MeasureChangeShowsBeatOneOfTheNewMeasure) {
  Initialize();
  Open(8);
  song->m_cells[8].pitch[0] = 64;  // measure 2, beat 1
  ASSERT_TRUE(tool.SelectPosition(1, 7));
  tool.OnMeasureChanged(2);
  EXPECT_EQ(tool.Measure(), 2);
  EXPECT_EQ(tool.Beat(), 1);
  EXPECT_EQ(tool.TypeIndex(), kTypePluck);
  EXPECT_EQ(redraws, 0);
}

TEST_F(InputToolTest, NumbersOutsideTheRangesAreNeverUsed) {
  Initialize();
  Open(8);
  ASSERT_TRUE(tool.SelectPosition(2, 3));
  tool.OnMeasureChanged(10);
  tool.OnMeasureChanged(0);
  tool.OnBeatChanged(17);
  tool.OnBeatChanged(0);
  EXPECT_EQ(tool.Measure(), 2);
  EXPECT_EQ(tool.Beat(), 3);
  tool.OnMeasureCountChanged(0);
  tool.OnMeasureCountChanged(129);
  EXPECT_EQ(song->m_measureCount, 8);
  EXPECT_EQ(tool.MeasureCount(), 8);
  EXPECT_FALSE(tool.SelectPosition(10, 1));
  EXPECT_FALSE(tool.SelectPosition(1, 17));
  EXPECT_EQ(tool.Measure(), 2);
  EXPECT_EQ(redraws, 0);
}

TEST_F(InputToolTest, MeasureCountShowsTheSongAndTheRangesFollowIt) {
  Initialize();
  Open(32);
  EXPECT_EQ(tool.MeasureCount(), 32);
  EXPECT_EQ(tool.MeasureHigh(), 33);
  Open(16);
  // One step up from the song's own count, not from the last one shown.
  tool.OnMeasureCountChanged(tool.MeasureCount() + 1);
  EXPECT_EQ(song->m_measureCount, 17);
  EXPECT_EQ(tool.MeasureHigh(), 18);
  EXPECT_EQ(redraws, 1);
  ASSERT_TRUE(tool.SelectPosition(18, 1));
  tool.OnMeasureCountChanged(9);
  EXPECT_EQ(tool.MeasureHigh(), 10);
  EXPECT_EQ(tool.Measure(), 10);  // kept inside the shorter song
}

TEST_F(InputToolTest, ALongerSongKeepsItsCountAndLosesOneMeasurePerStep) {
  Initialize();
  Open(200);
  EXPECT_EQ(tool.MeasureCount(), 200);
  EXPECT_EQ(tool.MeasureCountHigh(), 200);
  tool.OnMeasureCountChanged(199);
  EXPECT_EQ(song->m_measureCount, 199);
  tool.OnMeasureCountChanged(201);  // above the song's own: not offered
  EXPECT_EQ(song->m_measureCount, 199);
  Open(8);
  EXPECT_EQ(tool.MeasureCountHigh(), kInputMaxMeasureCount);
}

TEST_F(InputToolTest, CuttingMeasuresWithNotesSaysHowMany) {
  Initialize();
  Open(16);
  song->m_cells[8 * 10].pitch[0] = 60;      // measure 11
  song->m_cells[8 * 12 + 7].pitch[1] = 62;  // measure 13, its last sixteenth
  song->m_cells[8 * 15].pitch[2] = 64;      // measure 16, a third slot
  {
    ScopedMessageBoxCapture messages;
    tool.OnMeasureCountChanged(12);  // takes measures 13 to 16: two with notes
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0], MeasuresRemovedText(2));
    EXPECT_NE(messages.Messages()[0].find("2 個"), std::string::npos);
  }
  {
    ScopedMessageBoxCapture messages;
    tool.OnMeasureCountChanged(11);  // measure 12 is empty
    tool.OnMeasureCountChanged(20);  // lengthening says nothing
    EXPECT_TRUE(messages.Messages().empty());
  }
  // Lengthened again, the cut measures come back empty; measure 11 stayed.
  EXPECT_EQ(CInputDlg::MeasuresWithNotes(*song, 11, 20), 0);
  EXPECT_EQ(CInputDlg::MeasuresWithNotes(*song, 0, 20), 1);
}

TEST_F(InputToolTest, NoteStepIsNamedForTheMeasureItLiesIn) {
  EditHistory history;
  tool.SetHistory(&history);
  Initialize();
  Open(8, 3);
  // In three-beat measures beat position 13 is the next measure's first.
  ASSERT_TRUE(tool.SelectPosition(2, 13));
  tool.OnTypeSelected(kTypeRest);
  tool.OnTypeSelected(kTypeHold);
  EXPECT_EQ(history.UndoName(), "小節 3 の音");
  tool.SetHistory(nullptr);
}

TEST_F(InputToolTest, PositionStaysInsideTheArraysAtCapacity) {
  Initialize();
  Open(256);  // 1024 beats: the arrays are full
  EXPECT_EQ(tool.MeasureHigh(), 256);
  EXPECT_FALSE(tool.SelectPosition(257, 1));
  tool.OnMeasureChanged(257);
  EXPECT_EQ(tool.Measure(), 1);
  ASSERT_TRUE(tool.SelectPosition(256, 16));
  tool.OnTypeSelected(kTypePluck);
  EXPECT_EQ(song->m_cells[kMaxCells - 1].pitch[1], 60);

  // 341 measures of 3 beats end at cell 2045; measure 342 starts inside the
  // arrays but only its first four positions do.
  Open(341, 3);
  EXPECT_EQ(tool.MeasureHigh(), 342);
  ASSERT_TRUE(tool.SelectPosition(342, 16));
  EXPECT_EQ(tool.Beat(), 4);
  tool.OnBeatChanged(9);
  EXPECT_EQ(tool.Beat(), 4);
  tool.OnTypeSelected(kTypeRest);
  EXPECT_EQ(song->m_cells[kMaxCells - 1].pitch[1], SLOT_REST);

  // A shorter song afterwards keeps the position inside its new range.
  Open(8);
  EXPECT_EQ(tool.Measure(), 9);
}

}  // namespace
}  // namespace kumoito

namespace kumoito {
namespace {

// The marks the tool writes: a note kept on the string it was written on,
// its technique, finger and second note, its measure's repeat and ending;
// each one undoable step, and shown again at the position.
TEST_F(InputToolTest, MarksAreWrittenShownAndUndone) {
  Initialize();
  Open(4);
  EditHistory history;
  tool.SetHistory(&history);
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  tool.OnTypeSelected(kTypePluck);  // 60: the open third string
  tool.OnStringSelected(0);         // the same pitch on 一の糸, 12 semitones up
  tool.OnKandokoroSelected(13);
  EXPECT_EQ(SlotAt(1, 1), 60);
  EXPECT_EQ(song->m_marks.At(0, 0).string, 1) << "kept on the string it was written on";
  ASSERT_TRUE(tool.SelectPosition(2, 1));
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  EXPECT_EQ(tool.StringIndex(), 0);
  EXPECT_EQ(tool.KandokoroIndex(), 13);
  tool.OnStringSelected(2);
  tool.OnKandokoroSelected(1);  // back where placement puts 60
  EXPECT_EQ(song->m_marks.At(0, 0).string, 0);

  const std::size_t steps = history.UndoCount();
  tool.OnTechniqueSelected(static_cast<int>(Technique::kHajiki));
  tool.OnFingerSelected(3);
  tool.OnTogetherChanged(2, 6);  // 二の糸 "４": 53 + 5
  tool.OnTogetherChanged(3, 2);  // refused: the note's own string
  tool.OnRepeatSelected(kRepeatBothRow);
  tool.OnEndingSelected(2);
  const NoteMarks& marks = song->m_marks.At(0, 0);
  EXPECT_EQ(marks.technique, Technique::kHajiki);
  EXPECT_EQ(marks.finger, 3);
  EXPECT_EQ(marks.together[0], 58);
  EXPECT_EQ(song->m_marks.measures[0].flags, kRepeatStart | kRepeatEnd);
  EXPECT_EQ(song->m_marks.measures[0].ending, 2);
  EXPECT_EQ(history.UndoCount(), steps + 5);
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  EXPECT_EQ(tool.TechniqueIndex(), static_cast<int>(Technique::kHajiki));
  EXPECT_EQ(tool.FingerIndex(), 3);
  EXPECT_EQ(tool.TogetherStringIndex(), 2);
  EXPECT_EQ(tool.TogetherKandokoroIndex(), 6);
  EXPECT_EQ(tool.RepeatIndex(), kRepeatBothRow);
  EXPECT_EQ(tool.EndingIndex(), 2);

  // A rest takes ケシ and nothing else.
  ASSERT_TRUE(tool.SelectPosition(2, 1));
  tool.OnTechniqueSelected(static_cast<int>(Technique::kSukui));
  EXPECT_EQ(song->m_marks.At(8, 0).technique, Technique::kNone);
  tool.OnTechniqueSelected(static_cast<int>(Technique::kKeshi));
  EXPECT_EQ(song->m_marks.At(8, 0).technique, Technique::kKeshi);

  while (history.UndoCount() > steps) {
    ASSERT_TRUE(history.Undo(*song));
  }
  EXPECT_TRUE(song->m_marks.At(0, 0).Empty());
  EXPECT_TRUE(song->m_marks.measures[0].Empty());
  tool.SetHistory(nullptr);
}

}  // namespace
}  // namespace kumoito

namespace kumoito {
namespace {

// 口三味線 typed in the tool: the rule's syllable shown while the box is
// empty, the user's kept on a note or a rest, "-" for silence, empty for
// the rule again, too long or foreign text refused; each change one step.
TEST_F(InputToolTest, SyllablesAreTypedShownAndUndone) {
  Initialize();
  Open(4);
  EditHistory history;
  tool.SetHistory(&history);
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  tool.OnTypeSelected(kTypePluck);  // 60: the open third string
  EXPECT_EQ(tool.RuleSyllableText(), "テン");
  EXPECT_EQ(tool.SyllableText(), "");
  EXPECT_TRUE(tool.SyllableEnabled());

  const std::size_t steps = history.UndoCount();
  EXPECT_TRUE(tool.OnSyllableEdited("トッ"));
  EXPECT_EQ(Cp932ToUtf8(song->m_marks.SyllableAt(0, 0).Text()), "トッ");
  EXPECT_EQ(tool.SyllableText(), "トッ");
  EXPECT_TRUE(tool.OnSyllableEdited("トッ"));         // unchanged: no step
  EXPECT_FALSE(tool.OnSyllableEdited("チリチリン"));  // ten bytes
  EXPECT_FALSE(tool.OnSyllableEdited("😀"));           // no CP932 for it
  EXPECT_EQ(tool.SyllableText(), "トッ");
  EXPECT_EQ(history.UndoCount(), steps + 1);

  ASSERT_TRUE(tool.SelectPosition(2, 1));  // a rest: a call
  EXPECT_EQ(tool.RuleSyllableText(), "");
  EXPECT_TRUE(tool.OnSyllableEdited("イヤ"));
  ASSERT_TRUE(tool.SelectPosition(1, 1));
  EXPECT_TRUE(tool.OnSyllableEdited(std::string(kSilentSyllable)));
  EXPECT_TRUE(song->m_marks.SyllableAt(0, 0).set);
  EXPECT_EQ(song->m_marks.SyllableAt(0, 0).length, 0);
  EXPECT_EQ(tool.SyllableText(), kSilentSyllable);
  EXPECT_TRUE(tool.OnSyllableEdited(""));
  EXPECT_TRUE(song->m_marks.SyllableAt(0, 0).Empty());
  EXPECT_EQ(history.UndoCount(), steps + 4);

  ASSERT_TRUE(tool.SelectPosition(1, 2));  // the note's hold: nothing to say
  EXPECT_FALSE(tool.SyllableEnabled());
  EXPECT_FALSE(tool.OnSyllableEdited("ha"));

  ASSERT_TRUE(history.Undo(*song));  // back to silence
  EXPECT_EQ(song->m_marks.SyllableAt(0, 0).set, 1);
  while (history.UndoCount() > steps) {
    ASSERT_TRUE(history.Undo(*song));
  }
  EXPECT_FALSE(song->m_marks.AnyMark());
  tool.SetHistory(nullptr);
}

}  // namespace
}  // namespace kumoito
