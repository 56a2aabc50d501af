#include "input/midi_entry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "input/input_tool.h"
#include "input/tool_note_entry.h"
#include "song/edit_history.h"
#include "song/song_data.h"
#include "song/tuning.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using Kind = midi::MidiInEvent::Kind;
constexpr midi::MidiInTime kMs = 1000;

// Records what the gatherer enters, as "60" or "55+67".
class RecordingSink final : public NoteEntrySink {
 public:
  void EnterNote(int pitch) override { entered.push_back(std::to_string(pitch)); }
  void EnterTogether(int low, int high) override {
    entered.push_back(std::to_string(low) + "+" + std::to_string(high));
  }
  std::vector<std::string> entered;
};

class MidiChordGathererTest : public ::testing::Test {
 protected:
  void On(int note, midi::MidiInTime ms, int velocity = 100) {
    gatherer.OnEvent({Kind::kNoteOn, 0, static_cast<std::uint8_t>(note),
                      static_cast<std::uint8_t>(velocity), ms * kMs});
  }
  void Off(int note, midi::MidiInTime ms) {
    gatherer.OnEvent({Kind::kNoteOff, 0, static_cast<std::uint8_t>(note), 64, ms * kMs});
  }
  void Pedal(int value, midi::MidiInTime ms) {
    gatherer.OnEvent({Kind::kController, 0, 64, static_cast<std::uint8_t>(value), ms * kMs});
  }
  void Flush(midi::MidiInTime ms) { gatherer.Flush(ms * kMs); }
  using Entered = std::vector<std::string>;

  RecordingSink sink;
  MidiChordGatherer gatherer{&sink};
};

TEST_F(MidiChordGathererTest, KeysStruckWithinTheWindowAreOneChordEnteredWhenItCloses) {
  On(67, 1000);
  On(55, 1012);
  EXPECT_EQ(gatherer.Deadline(), 1030 * kMs);
  Flush(1029);
  EXPECT_TRUE(sink.entered.empty()) << "a third key may still come";
  Flush(1030);
  EXPECT_EQ(sink.entered, (Entered{"55+67"}));
  EXPECT_FALSE(gatherer.Deadline());
  Flush(2000);
  EXPECT_EQ(sink.entered.size(), 1u) << "entered once";

  // Of three keys the outer two, the melody on top.
  On(60, 3000);
  On(72, 3005);
  On(64, 3020);
  Flush(3100);
  EXPECT_EQ(sink.entered.back(), "60+72");
}

TEST_F(MidiChordGathererTest, KeysOutsideTheWindowOrAfterAReleaseAreNotesOfTheirOwn) {
  // Held and overlapping, but 30 ms apart or more: one after another.
  On(60, 0);
  On(62, 30);
  EXPECT_EQ(sink.entered, (Entered{"60"})) << "the next key closes the last chord";
  On(64, 200);
  Off(60, 210);
  Off(62, 220);
  Flush(260);
  EXPECT_EQ(sink.entered, (Entered{"60", "62", "64"}));

  // A quick grace note, let go before the main note goes down.
  On(65, 1000);
  Off(65, 1008);
  On(67, 1015);
  Flush(1100);
  EXPECT_EQ(sink.entered, (Entered{"60", "62", "64", "65", "67"}));

  // Released after the other key went down: still struck together.
  On(55, 2000);
  On(67, 2010);
  Off(55, 2015);
  Flush(2100);
  EXPECT_EQ(sink.entered.back(), "55+67");
}

TEST_F(MidiChordGathererTest, VelocityZeroReleasesAndPedalAndBouncesEnterNothing) {
  On(60, 0);
  On(60, 5, 0);  // a release, as many keyboards send it
  On(62, 10);
  Flush(100);
  EXPECT_EQ(sink.entered, (Entered{"60", "62"}));

  Pedal(127, 200);
  On(64, 300);
  Off(64, 350);  // sustained, but released as a key
  Flush(400);
  On(65, 500);
  Flush(600);
  Pedal(0, 700);
  Flush(800);
  EXPECT_EQ(sink.entered, (Entered{"60", "62", "64", "65"}));

  // A key that bounces inside the window is struck once.
  On(67, 1000);
  On(67, 1004);
  Flush(1100);
  EXPECT_EQ(sink.entered.back(), "67");
  EXPECT_EQ(sink.entered.size(), 5u);

  On(69, 2000);
  gatherer.Reset();
  Flush(3000);
  EXPECT_EQ(sink.entered.size(), 5u) << "a reset drops what was gathered";
}

// The tool as the window leaves it after opening a song: 本調子, first string C.
class ToolNoteEntryTest : public ::testing::Test {
 protected:
  void Open(int measures, int beats = 4) {
    song = test::NewSong(measures, beats);
    tool.Initialize();
    tool.SetHistory(&history);
    tool.SetSong(song.get());
    tool.SetMeasureRange(1, song->m_measureCount + 1);
    tool.SetStringState(48, 0);
  }
  std::int32_t At(int sixteenth) const { return song->m_cells[sixteenth / 2].pitch[sixteenth % 2]; }
  // Makes the tool's note value n sixteenths, as a note of that length under
  // its position would.
  void ShowNoteValue(int sixteenths) {
    ASSERT_TRUE(tool.SelectPosition(1, 1));
    song->m_cells[0].pitch[0] = 60;
    for (int i = 1; i < sixteenths; ++i) {
      song->m_cells[i / 2].pitch[i % 2] = SLOT_HOLD;
    }
    song->m_cells[sixteenths / 2].pitch[sixteenths % 2] = SLOT_REST;
    tool.SelectPosition(1, 1);
    ASSERT_EQ(entry.NoteSixteenths(), sixteenths);
  }

  int changes = 0;
  EditHistory history;
  CInputDlg tool{[] {}};
  ToolNoteEntry entry{tool, &history, [this] { ++changes; }};
  std::unique_ptr<CSongData> song;
};

TEST_F(ToolNoteEntryTest, NotesGoToTheToolsSlotForItsNoteValueAndMoveItOn) {
  Open(2);
  ShowNoteValue(4);
  entry.EnterNote(62);
  EXPECT_EQ(At(0), 62);
  EXPECT_EQ(At(1), SLOT_HOLD);
  EXPECT_EQ(At(3), SLOT_HOLD);
  EXPECT_EQ(At(4), SLOT_REST) << "what held on after the note is silent";
  EXPECT_EQ(tool.Beat(), 5);
  entry.EnterNote(64);
  entry.EnterNote(65);
  entry.EnterNote(67);
  EXPECT_EQ(At(12), 67);
  EXPECT_EQ(tool.Measure(), 2);
  EXPECT_EQ(tool.Beat(), 1);
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(song->m_marks.At(0, 0).Empty()) << "placement chooses the string";

  // Each note is a step; undone, the song is as it was.
  EXPECT_EQ(history.UndoCount(), 4u);
  EXPECT_EQ(history.UndoName(), "小節 1 の音");
  while (history.Undo(*song)) {
  }
  EXPECT_EQ(At(0), 60);
  EXPECT_EQ(At(12), SLOT_HOLD);
}

TEST_F(ToolNoteEntryTest, ChordsBecomeTwoStringNotesWhenTwoStringsCanPlayThem) {
  Open(2);
  ShowNoteValue(2);
  entry.EnterTogether(48, 60);  // open first string and the octave
  const NoteMarks& marks = song->m_marks.At(0, 0);
  EXPECT_EQ(At(0), 60);
  EXPECT_EQ(marks.together[0], 48);
  const OpenStrings open{48, 53, 60};
  const PitchPlace own = PlaceOfMarkedNote(BuildPitchPlaces(open), open, 60, marks);
  const auto other = PlaceTogether(BuildPitchPlaces(open), open, 48, own.string);
  ASSERT_TRUE(other);
  EXPECT_NE(other->string, own.string);

  // Below the first string only one string could play both: the melody.
  entry.EnterTogether(40, 62);
  EXPECT_EQ(At(2), 62);
  EXPECT_EQ(song->m_marks.At(1, 0).together[0], kNoPitch);
  EXPECT_EQ(tool.Beat(), 5);
}

TEST_F(ToolNoteEntryTest, EveryPairTwoStringsCanPlayBecomesATwoStringNote) {
  Open(2);
  ShowNoteValue(2);
  ToolNoteEntry quiet{tool, nullptr, nullptr};
  const OpenStrings open{48, 53, 60};
  const PitchPlaceTable places = BuildPitchPlaces(open);
  for (int low = 44; low < 80; ++low) {
    for (int high = low + 1; high <= 84; ++high) {
      bool playable = false;
      for (int a = 0; a < kStringCount; ++a) {
        for (int b = 0; b < kStringCount; ++b) {
          playable =
              playable || (a != b && PlaceOnString(open, high, a) && PlaceOnString(open, low, b));
        }
      }
      ASSERT_TRUE(tool.SelectPosition(1, 1));
      quiet.EnterTogether(low, high);
      const NoteMarks& marks = song->m_marks.At(0, 0);
      ASSERT_EQ(At(0), high);
      ASSERT_EQ(marks.together[0] == low, playable) << low << "+" << high;
      if (playable) {
        const PitchPlace own = PlaceOfMarkedNote(places, open, high, marks);
        const auto other = PlaceTogether(places, open, low, own.string);
        ASSERT_TRUE(PlaceOnString(open, high, own.string)) << low << "+" << high;
        ASSERT_TRUE(other && other->string != own.string) << low << "+" << high;
        ASSERT_TRUE(PlaceOnString(open, low, other->string)) << low << "+" << high;
      } else {
        ASSERT_EQ(marks.together[0], kNoPitch);
      }
    }
  }
}

TEST_F(ToolNoteEntryTest, EntriesPastTheEndGrowTheSongAndLongMeasuresAreReachedToo) {
  Open(1, 8);  // 32 sixteenths: the tool reaches the first 16 only
  ShowNoteValue(8);
  for (int pitch : {60, 62, 64}) {
    entry.EnterNote(pitch);
  }
  EXPECT_EQ(At(16), 64) << "the third note, past the tool's 16th position";
  entry.EnterNote(65);
  entry.EnterNote(67);
  EXPECT_EQ(song->m_measureCount, 2);
  EXPECT_EQ(At(32), 67);
  EXPECT_EQ(tool.Measure(), 2);
  EXPECT_EQ(tool.Beat(), 9);

  // Clicking elsewhere is where the next note goes.
  ASSERT_TRUE(tool.SelectPosition(1, 3));
  entry.EnterNote(69);
  EXPECT_EQ(At(2), 69);
}

}  // namespace
}  // namespace kumoito
