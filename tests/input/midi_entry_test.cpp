#include "input/midi_entry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>


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
}  // namespace
}  // namespace kumoito
