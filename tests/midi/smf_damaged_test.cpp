// Files no writer of ours makes but a damaged or hand-made one holds: more
// than one end of track, and deltas whose sums leave 32 bits. ctest runs
// these with a time limit, so a loop that never ends fails them instead of
// holding the run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/file_util.h"
#include "common/report.h"
#include "midi/midi_event.h"
#include "midi/smf.h"
#include "midi/track_ops.h"
#include "tests/midi/midi_test_util.h"
#include "tests/midi/smf_test_util.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;
using V = std::vector<std::int32_t>;
using Times = std::vector<std::int64_t>;

// The largest delta four bytes can hold.
const Bytes kHugeDelta = {0xFF, 0xFF, 0xFF, 0x7F};

void Append(Bytes& to, const Bytes& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

// Two notes of 96 ticks with an end of track after each, and ends - 2 more
// ends 10 ticks later.
Bytes TwoNotesWithEnds(int ends) {
  Bytes body = {0,  0x90, 60, 64, 96, 0x80, 60, 64, 0, 0xFF, 0x2F, 0,
                96, 0x90, 62, 64, 96, 0x80, 62, 64, 0, 0xFF, 0x2F, 0};
  for (int i = 2; i < ends; ++i) {
    Append(body, {10, 0xFF, 0x2F, 0});
  }
  return body;
}

MidiSequence ReadThroughFile(const Bytes& image) {
  TempFile file("damaged.mid");
  WriteFileBytes(file.Path(), image.data(), image.size());
  MidiSequence s;
  ReadSequenceFile(s, file.Path());
  return s;
}

// One end of track, the last event; no negative delta or note length.
void ExpectUsable(const MidiTrack& t) {
  ASSERT_FALSE(t.events.empty());
  EXPECT_TRUE(IsEndOfTrack(*t.events.back()));
  EXPECT_EQ(std::count_if(t.events.begin(), t.events.end(),
                          [](const auto& e) { return IsEndOfTrack(*e); }),
            1);
  for (const auto& e : t.events) {
    EXPECT_GE(e->delta, 0);
    EXPECT_GE(e->duration, 0);
  }
}

TEST(SmfDamaged, Format0ExtraEndsOfTrackLeaveOneAtTheEnd) {
  for (int ends : {2, 3}) {
    SCOPED_TRACE(ends);
    MidiSequence s = ReadThroughFile(File0(TwoNotesWithEnds(ends)));
    const std::int64_t end = ends == 2 ? 288 : 298;
    EXPECT_EQ(Kinds(*s.track), (V{EV_NOTE, EV_NOTE, EV_META}));
    EXPECT_EQ(AbsoluteTimes(*s.track), (Times{0, 192, end}));
    ExpectUsable(*s.track);
    // What the player does with its copy.
    ConvertToOnOff(s);
    EXPECT_EQ(Kinds(*s.track), (V{EV_NOTE_ON, EV_NOTE_OFF, EV_NOTE_ON, EV_NOTE_OFF, EV_META}));
    EXPECT_EQ(AbsoluteTimes(*s.track), (Times{0, 96, 192, 288, end}));
    ExpectUsable(*s.track);
  }
}

TEST(SmfDamaged, Format1ExtraEndsOfTrackLeaveOneInEachTrack) {
  ScopedReportCapture capture;
  for (int ends : {2, 3}) {
    SCOPED_TRACE(ends);
    Bytes image = Header(1, 2, 96);
    Append(image,
           Chunk("MTrk", {0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0xFF, 0x2F, 0, 0, 0xFF, 0x2F, 0}));
    Append(image, Chunk("MTrk", TwoNotesWithEnds(ends)));
    Format1File file = ReadFormat1Image(image.data(), image.size());
    ASSERT_EQ(file.tracks.size(), 2u);
    for (const auto& t : file.tracks) {
      ExpectUsable(*t);
    }
    MidiSequence s = ReadThroughFile(image);
    EXPECT_EQ(Kinds(*s.track), (V{EV_SYSEX, EV_META, EV_NOTE, EV_NOTE, EV_META}));
    EXPECT_EQ(AbsoluteTimes(*s.track), (Times{0, 0, 0, 192, ends == 2 ? 288 : 298}));
    ConvertToOnOff(s);
    ExpectUsable(*s.track);
  }
}

TEST(SmfDamaged, ExpandingMovesOneEndOfTrackPastNotesThatOutlastIt) {
  auto t = MakeTrack(FORM_NOTES, Events(Note(0, 60, 500), EndOfTrack(100), Note(0, 62, 50),
                                        EndOfTrack(0), EndOfTrack(20)));
  ExpandNotes(t);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE_ON, EV_NOTE_ON, EV_NOTE_OFF, EV_NOTE_OFF, EV_META}));
  EXPECT_EQ(AbsoluteTimes(t), (Times{0, 100, 150, 500, 500}));
  ExpectUsable(t);
}

TEST(SmfDamaged, TimesBeyond32BitsSaturate) {
  ScopedReportCapture capture;
  // Twelve notes ending one huge delta apart: pairing them hands each note
  // off's delta to the next, summing twelve deltas into one.
  Bytes body;
  for (unsigned char n = 0; n < 12; ++n) {
    Append(body, {0, 0x90, static_cast<unsigned char>(60 + n), 64});
  }
  for (unsigned char n = 0; n < 12; ++n) {
    Append(body, kHugeDelta);
    Append(body, {0x80, static_cast<unsigned char>(60 + n), 64});
  }
  Append(body, {0, 0xFF, 0x2F, 0});
  MidiSequence s = ReadThroughFile(File0(body));
  ASSERT_EQ(s.track->EventCount(), 13);
  ExpectUsable(*s.track);
  const Times times = AbsoluteTimes(*s.track);
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  ConvertToOnOff(s);
  ExpectUsable(*s.track);
  EXPECT_EQ(s.track->EventCount(), 25);

  // At one tick a quarter, the player's rescale to 96 multiplies a huge
  // note and the end behind it past 32 bits.
  Bytes one = {0, 0x90, 60, 64};
  Append(one, kHugeDelta);
  Append(one, {0x80, 60, 64});
  Append(one, kHugeDelta);
  Append(one, {0xFF, 0x2F, 0});
  MidiSequence r = ReadThroughFile(File0(one, 1));
  RescaleTrack(*r.track, r.division);
  ExpectUsable(*r.track);
  EXPECT_GT(r.track->events[0]->duration, 0);
}

}  // namespace
}  // namespace kumoito::midi
