#include "midi/track_ops.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/report.h"
#include "midi/midi_event.h"
#include "tests/midi/midi_test_util.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;
using V = std::vector<std::int32_t>;

TEST(MidiEventRecord, NewEventHasNoChannelAndNoData) {
  MidiEvent e;
  EXPECT_EQ(e.kind, EV_DELETED);
  EXPECT_EQ(e.channel, 255);
  EXPECT_EQ(e.data, nullptr);
  MidiTrack t;
  EXPECT_EQ(t.EventRoom(), 131072);
  EXPECT_EQ(t.form, FORM_NEW);
}

TEST(MidiEventData, StoredWithZeroSpareAndReadableToLengthPlusSeven) {
  ScopedReportCapture capture;
  MidiEvent e;
  const unsigned char bytes[] = {0xC0, 0x6A};
  SetEventData(e, bytes, 2);
  EXPECT_EQ(e.dataLength, 2);
  EXPECT_EQ(EventDataByte(e, 0), 0xC0);
  EXPECT_EQ(EventDataByte(e, 1), 0x6A);
  EXPECT_EQ(EventDataByte(e, 9), 0);
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(EventDataByte(e, 10), 0);
  EXPECT_NE(capture.Text().find("MUEV06000002"), std::string::npos);
  capture.Clear();
  MidiEvent empty;
  EXPECT_EQ(EventDataByte(empty, 0), 0);
  EXPECT_NE(capture.Text().find("MUEV06000002"), std::string::npos);
}

TEST(MidiEventData, OverlongDataIsStoredAndReported) {
  ScopedReportCapture capture;
  std::vector<unsigned char> big(300, 0x11);
  MidiEvent e;
  SetEventData(e, big.data(), 300);
  EXPECT_EQ(e.dataLength, 300);
  EXPECT_EQ(EventDataByte(e, 299), 0x11);
  EXPECT_NE(capture.Text().find("MUEV06000001"), std::string::npos);
  MidiEvent copy(e);
  EXPECT_EQ(copy.dataLength, 300);
  EXPECT_NE(copy.data.get(), e.data.get());
  EXPECT_EQ(EventDataByte(copy, 299), 0x11);
}

TEST(TrackOps, CompactHandsDeltasOnAndDropsTrailingOnes) {
  auto t = MakeTrack(FORM_NOTES, Events(Note(0, 60, 40), Ev(EV_DELETED, 160), Note(160, 62, 40),
                                        Ev(EV_DELETED, 160), Ev(EV_DELETED, 160)));
  CompactTrack(t);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE, EV_NOTE}));
  EXPECT_EQ(Deltas(t), (V{0, 320}));
}

TEST(TrackOps, ExpandPutsNoteOffAtItsEnd) {
  auto t = MakeTrack(FORM_NOTES, Events(Note(0, 60, 40), Note(160, 62, 40), EndOfTrack(0)));
  ExpandNotes(t);
  EXPECT_EQ(t.form, FORM_ON_OFF);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE_ON, EV_NOTE_OFF, EV_NOTE_ON, EV_NOTE_OFF, EV_META}));
  EXPECT_EQ(Deltas(t), (V{0, 40, 120, 40, 0}));
  EXPECT_EQ(t.events[1]->velocity, 64);
  EXPECT_EQ(t.events[1]->note, 60);
}

TEST(TrackOps, ExpandNoteEndingOnNextEventGoesFirst) {
  auto t = MakeTrack(FORM_NOTES, Events(Note(0, 60, 160), Note(160, 60, 40), EndOfTrack(0)));
  ExpandNotes(t);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE_ON, EV_NOTE_OFF, EV_NOTE_ON, EV_NOTE_OFF, EV_META}));
  EXPECT_EQ(Deltas(t), (V{0, 160, 0, 40, 0}));
}

TEST(TrackOps, ExpandDropsSilentNotesAndKeepsTime) {
  auto t = MakeTrack(
      FORM_NOTES, Events(Note(0, 0, 40, 0), Note(160, 62, 40), Note(160, 64, 0), EndOfTrack(160)));
  ExpandNotes(t);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE_ON, EV_NOTE_OFF, EV_META}));
  EXPECT_EQ(AbsoluteTimes(t), (std::vector<std::int64_t>{160, 200, 480}));
}

TEST(TrackOps, ExpandNotePastTheEndMovesEndOfTrackLast) {
  auto t = MakeTrack(FORM_NOTES, Events(Note(0, 60, 500), EndOfTrack(100)));
  ExpandNotes(t);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE_ON, EV_NOTE_OFF, EV_META}));
  EXPECT_EQ(AbsoluteTimes(t), (std::vector<std::int64_t>{0, 500, 500}));
}

TEST(TrackOps, ExpandOrCollapseInWrongFormReportsAndKeepsTrack) {
  ScopedReportCapture capture;
  auto t = MakeTrack(FORM_ON_OFF, Events(Note(0, 60, 40)));
  ExpandNotes(t);
  EXPECT_EQ(t.form, FORM_ON_OFF);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE}));
  EXPECT_NE(capture.Text().find("MDTK0D000001"), std::string::npos);
  auto u = MakeTrack(FORM_NOTES, Events(Ev(EV_NOTE_ON, 0, 60, 64)));
  capture.Clear();
  CollapseNotes(u);
  EXPECT_EQ(u.form, FORM_NOTES);
  EXPECT_NE(capture.Text().find("MDTK0D000001"), std::string::npos);
}

TEST(TrackOps, CollapsePairsEachNoteOnWithFirstMatchingOff) {
  auto t = MakeTrack(FORM_ON_OFF,
                     Events(Ev(EV_NOTE_ON, 0, 60, 64), Ev(EV_NOTE_ON, 10, 60, 64),
                            Ev(EV_NOTE_OFF, 10, 60), Ev(EV_NOTE_OFF, 10, 60), EndOfTrack(5)));
  CollapseNotes(t);
  EXPECT_EQ(t.form, FORM_NOTES);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE, EV_NOTE, EV_META}));
  EXPECT_EQ(t.events[0]->duration, 20);
  EXPECT_EQ(t.events[1]->duration, 20);
  EXPECT_EQ(AbsoluteTimes(t), (std::vector<std::int64_t>{0, 10, 35}));
}

TEST(TrackOps, CollapseTreatsVelocityZeroAsOffAndDropsUnmatchedNotes) {
  auto t = MakeTrack(FORM_ON_OFF, Events(Ev(EV_NOTE_ON, 0, 60, 64), Ev(EV_NOTE_ON, 40, 60, 0),
                                         Ev(EV_NOTE_ON, 10, 61, 64),
                                         Ev(EV_NOTE_OFF, 0, 61, 0, 0, 1), EndOfTrack(30)));
  CollapseNotes(t);
  // The note on 61 has no off on its channel: it disappears, its time passing on.
  EXPECT_EQ(Kinds(t), (V{EV_NOTE, EV_META}));
  EXPECT_EQ(t.events[0]->duration, 40);
  EXPECT_EQ(AbsoluteTimes(t), (std::vector<std::int64_t>{0, 80}));
}

TEST(TrackOps, ExpandThenCollapseRoundTrips) {
  auto t = MakeTrack(FORM_NOTES, Events(Control(0, 7, 100), Note(0, 60, 40), Note(160, 62, 200),
                                        Note(160, 64, 40), EndOfTrack(480)));
  ExpandNotes(t);
  CollapseNotes(t);
  EXPECT_EQ(Kinds(t), (V{EV_CONTROL, EV_NOTE, EV_NOTE, EV_NOTE, EV_META}));
  EXPECT_EQ(AbsoluteTimes(t), (std::vector<std::int64_t>{0, 0, 160, 320, 800}));
  EXPECT_EQ(t.events[2]->duration, 200);
}

TEST(TrackOps, RescaleCarriesRemainder) {
  auto t = MakeTrack(FORM_NOTES, Events(Note(160, 60, 40), Note(160, 60, 40), Note(160, 60, 40)));
  EXPECT_FALSE(RescaleTrack(t, 960));
  EXPECT_EQ(Deltas(t), (V{16, 16, 16}));
  EXPECT_EQ(t.events[0]->duration, 4);
  auto u = MakeTrack(FORM_NOTES, Events(Note(15, 60, 5), Note(15, 60, 20), Note(15, 60, 20)));
  EXPECT_TRUE(RescaleTrack(u, 960));
  EXPECT_EQ(Deltas(u), (V{1, 2, 1}));
  EXPECT_EQ(u.events[0]->duration, 1);
  EXPECT_EQ(u.events[1]->duration, 2);
}

TEST(TrackOps, RescaleRefusesWrongFormAndZeroDivision) {
  ScopedReportCapture capture;
  auto t = MakeTrack(FORM_ON_OFF, Events(Note(160, 60, 40)));
  RescaleTrack(t, 960);
  EXPECT_EQ(Deltas(t), (V{160}));
  auto u = MakeTrack(FORM_NOTES, Events(Note(160, 60, 40)));
  RescaleTrack(u, 0);
  EXPECT_EQ(Deltas(u), (V{160}));
  auto w = MakeTrack(FORM_ON_OFF, Events(Note(160, 60, 40)));
  RescaleTrack(w, 96);  // nothing to do at 96, whatever the form
  EXPECT_EQ(capture.Text().find("MDTK0D000001") != std::string::npos, true);
}

TEST(TrackOps, OrderPutsControlBeforeNoteOnSameTick) {
  auto t = MakeTrack(FORM_ON_OFF,
                     Events(Ev(EV_NOTE_ON, 10, 60, 64), Control(0, 7, 100), EndOfTrack(10)));
  OrderSimultaneousEvents(t);
  EXPECT_EQ(Kinds(t), (V{EV_CONTROL, EV_NOTE_ON, EV_META}));
  EXPECT_EQ(Deltas(t), (V{10, 0, 10}));
}

TEST(TrackOps, OrderPutsSysexFirstAndNoteOffBeforeNoteOn) {
  auto sysex = Ev(EV_SYSEX, 0);
  sysex->channel = kNoChannel;
  auto t = MakeTrack(FORM_ON_OFF, Events(Ev(EV_NOTE_ON, 5, 60, 64), Control(0, 7, 100),
                                         std::move(sysex), Ev(EV_NOTE_OFF, 0, 59), EndOfTrack(0)));
  OrderSimultaneousEvents(t);
  EXPECT_EQ(Kinds(t), (V{EV_SYSEX, EV_CONTROL, EV_NOTE_OFF, EV_NOTE_ON, EV_META}));
  EXPECT_EQ(Deltas(t), (V{5, 0, 0, 0, 0}));
}

TEST(TrackOps, OrderKeepsTheOrderWithinEachGroup) {
  auto tempo = Ev(EV_META, 0);
  tempo->subtype = META_TEMPO;
  auto t = MakeTrack(FORM_ON_OFF,
                     Events(std::move(tempo), Ev(EV_NOTE_ON, 0, 60, 64), Ev(EV_NOTE_ON, 0, 64, 64),
                            Ev(EV_PROGRAM, 0), Control(0, 101, 0), EndOfTrack(10)));
  OrderSimultaneousEvents(t);
  EXPECT_EQ(Kinds(t), (V{EV_META, EV_PROGRAM, EV_CONTROL, EV_NOTE_ON, EV_NOTE_ON, EV_META}));
  EXPECT_EQ(t.events[3]->note, 60);
  EXPECT_EQ(Deltas(t), (V{0, 0, 0, 0, 0, 10}));
}

TEST(TrackOps, OrderLeavesEventsOfOtherTicksAlone) {
  auto t = MakeTrack(FORM_ON_OFF, Events(Ev(EV_NOTE_ON, 0, 60, 64), Control(5, 7, 100),
                                         Ev(EV_NOTE_OFF, 5, 60), Ev(EV_NOTE_ON, 5, 60, 64)));
  OrderSimultaneousEvents(t);
  EXPECT_EQ(Kinds(t), (V{EV_NOTE_ON, EV_CONTROL, EV_NOTE_OFF, EV_NOTE_ON}));
}

TEST(TrackOps, AppendStopsAtRoomWithReport) {
  ScopedReportCapture capture;
  MidiTrack t(30);  // room for 10 events
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(AppendEvent(t, Note(1, 60, 1)));
  }
  EXPECT_FALSE(AppendEvent(t, Note(1, 60, 1)));
  EXPECT_EQ(t.EventCount(), 10);
  EXPECT_NE(capture.Text().find("MDTK0D000006"), std::string::npos);
}

TEST(TrackOps, RemoveHandsDeltaToNext) {
  auto t = MakeTrack(FORM_NOTES, Events(Note(0, 60, 1), Note(10, 61, 1), Note(20, 62, 1)));
  RemoveEvent(t, 1);
  EXPECT_EQ(Deltas(t), (V{0, 30}));
  RemoveEvent(t, 1);
  RemoveEvent(t, 5);
  EXPECT_EQ(Deltas(t), (V{0}));
}

TEST(TrackOps, HandedOnDeltasStopAtTheLimitInsteadOfWrapping) {
  constexpr std::int32_t kMax = 2147483647;
  auto t = MakeTrack(FORM_NOTES, Events(Note(kMax, 60, 1), Note(kMax, 61, 1)));
  RemoveEvent(t, 0);
  EXPECT_EQ(Deltas(t), (V{kMax}));
  auto u =
      MakeTrack(FORM_NOTES, Events(Ev(EV_DELETED, kMax), Ev(EV_DELETED, kMax), Note(5, 60, 1)));
  CompactTrack(u);
  EXPECT_EQ(Deltas(u), (V{kMax}));
}

TEST(TrackOps, CopyIsDeepAndNeedsFormTwo) {
  ScopedReportCapture capture;
  auto t = MakeTrack(FORM_NOTES, Events(Note(0, 60, 40), EndOfTrack(10)));
  auto copy = CopyTrack(t);
  ASSERT_EQ(copy->EventCount(), 2);
  EXPECT_EQ(copy->form, FORM_NOTES);
  EXPECT_NE(copy->events[1]->data.get(), t.events[1]->data.get());
  EXPECT_EQ(EventDataByte(*copy->events[1], 1), 0x2F);
  t.form = FORM_ON_OFF;
  auto empty = CopyTrack(t);
  EXPECT_EQ(empty->EventCount(), 0);
  EXPECT_NE(capture.Text().find("MDTK0D000001"), std::string::npos);
}

TEST(TrackOps, DestroyReportsOverlongDataExceptModelTimbre) {
  ScopedReportCapture capture;
  std::vector<unsigned char> big(300, 0);
  auto track = std::make_unique<MidiTrack>();
  auto a = Ev(EV_SYSEX, 0);
  a->subtype = SYSEX_MODEL_TIMBRE;
  SetEventData(*a, big.data(), 300);
  AppendEvent(*track, std::move(a));
  capture.Clear();
  DestroyTrack(track);
  EXPECT_EQ(track, nullptr);
  EXPECT_EQ(capture.Text(), "");
  track = std::make_unique<MidiTrack>();
  auto b = Ev(EV_META, 0);
  SetEventData(*b, big.data(), 300);
  AppendEvent(*track, std::move(b));
  capture.Clear();
  DestroyTrack(track);
  EXPECT_NE(capture.Text().find("MDTK0D00001A"), std::string::npos);
}

}  // namespace
}  // namespace kumoito::midi
