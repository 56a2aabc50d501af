#include "midi/player.h"

#include <algorithm>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/report.h"
#include "tests/midi/midi_test_util.h"
#include "tests/midi/player_test_util.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;
using Bytes = std::vector<unsigned char>;

struct Sounding {
  std::int64_t timeUs;
  bool on;
  int note;
};

std::vector<Sounding> Notes(const RecordingLog& log) {
  std::vector<Sounding> out;
  for (const auto& m : log.Messages()) {
    const int kind = m.bytes[0] & 0xF0;
    if (kind == 0x90 || kind == 0x80) {
      out.push_back({m.timeUs, kind == 0x90, m.bytes[1]});
    }
  }
  return out;
}

// Every slot pitched: notes 16 ticks apart, each 4 ticks long, at 96 per quarter.
void CheckTiming(int bpm, int measures, std::int64_t toleranceUs) {
  auto song = SongOf(measures);
  for (int c = 0; c < song->CellCount(); ++c)
    SetCell(*song, c, 60 + c % 5, 62, 64);
  auto performance = PerformanceOf(*song, bpm);
  PlayerRig rig;
  rig.player.StartPlayback(*performance);
  ASSERT_TRUE(rig.RunToEnd());
  const auto notes = Notes(*rig.log);
  ASSERT_EQ(notes.size(), static_cast<std::size_t>(2 * 3 * song->CellCount()));
  const std::int64_t period = Player::TimerPeriod(96, static_cast<std::uint32_t>(bpm), 100);
  EXPECT_EQ(notes[0].timeUs, period * 1000);  // the first timer fires one period after the start
  const std::int64_t t0 = notes[0].timeUs;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const std::int64_t tick = static_cast<std::int64_t>(i / 2) * 16 + (notes[i].on ? 0 : 4);
    const std::int64_t ideal = t0 + tick * 60'000'000 / (96LL * bpm);
    ASSERT_NEAR(notes[i].timeUs, ideal, toleranceUs) << "event " << i << " at " << bpm;
    EXPECT_EQ(notes[i].on, i % 2 == 0);
  }
  EXPECT_EQ(rig.ended, 1);
  EXPECT_EQ(rig.timer.PendingCount(), 0u);
  rig.player.StopPlayback(*performance);
}

TEST(Player, EventsAreSentAtTheirTimesAt80And240Bpm) {
  CheckTiming(80, 2, 2000);
  CheckTiming(240, 2, 2000);
}

TEST(Player, SixtySecondSongDoesNotDrift) {
  // 20 measures of 4/4 at 80 bpm: 480 slots of 125 ms; a 4 + 12 tick slot
  // truncated per delay would lose a millisecond each time.
  CheckTiming(80, 20, 0);
}

TEST(Player, StartsWithGmSystemOnAndLeadingEvents) {
  auto song = SongOf(1);
  SetCell(*song, 0, 60, SLOT_HOLD);
  auto performance = PerformanceOf(*song, 120);
  PlayerRig rig;
  rig.player.StartPlayback(*performance);
  ASSERT_TRUE(rig.RunToEnd());
  const auto m = rig.log->Messages();
  ASSERT_GE(m.size(), 5u);
  EXPECT_EQ(m[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(m[1].bytes, (Bytes{0xC0, 106}));
  EXPECT_EQ(m[2].bytes, (Bytes{0xB0, 101, 0}));
  EXPECT_EQ(m[3].bytes, (Bytes{0xB0, 100, 0}));
  EXPECT_EQ(m[4].bytes, (Bytes{0xB0, 6, 12}));
  EXPECT_EQ(rig.player.CurrentTempo(), 120u);
  EXPECT_EQ(rig.log->Closes(), 1);
  rig.player.StopPlayback(*performance);
}

TEST(Player, StopMidSongSilencesAllChannelsWithoutEndNotification) {
  auto song = SongOf(4);
  for (int c = 0; c < song->CellCount(); ++c)
    SetCell(*song, c, 60, SLOT_HOLD);
  auto performance = PerformanceOf(*song, 80);
  PlayerRig rig;
  rig.player.StartPlayback(*performance);
  for (int i = 0; i < 10; ++i)
    ASSERT_TRUE(rig.timer.RunNext());
  auto stopped =
      std::async(std::launch::async, [&] { return rig.player.StopPlayback(*performance); });
  while (stopped.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    rig.timer.RunNext();
  }
  EXPECT_EQ(stopped.get(), 1);
  const auto m = rig.log->Messages();
  ASSERT_GE(m.size(), 16u);
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(m[m.size() - 16 + static_cast<std::size_t>(c)].bytes,
              (Bytes{static_cast<unsigned char>(0xB0 + c), 0x7B, 0x00}));
  }
  EXPECT_EQ(rig.ended, 0);
  EXPECT_EQ(rig.timer.PendingCount(), 0u);
  EXPECT_EQ(performance->playCopy, nullptr);
  EXPECT_TRUE(rig.player.IsFinished());
}

TEST(Player, TrackWithoutNotesEndsAtOnceAndNotifies) {
  auto song = SongOf(2);  // rests only
  auto performance = PerformanceOf(*song, 80);
  PlayerRig rig;
  rig.player.StartPlayback(*performance);
  EXPECT_EQ(rig.timer.PendingCount(), 0u);
  ASSERT_TRUE(rig.RunToEnd());
  EXPECT_EQ(rig.ended, 1);
  EXPECT_EQ(Notes(*rig.log).size(), 0u);
  EXPECT_EQ(rig.log->Messages().size(), 5u);  // GM System On and the four leading events
  rig.player.StopPlayback(*performance);
}

TEST(Player, NoOutputEndsAtOnceAndNotifies) {
  ScopedReportCapture capture;
  auto song = SongOf(1);
  SetCell(*song, 0, 60, 62);
  auto performance = PerformanceOf(*song, 80);
  PlayerRig rig;
  rig.system->devices = 0;
  ResetMissingDeviceFlag();
  rig.player.StartPlayback(*performance);
  ASSERT_TRUE(rig.RunToEnd());
  EXPECT_EQ(rig.ended, 1);
  EXPECT_EQ(rig.timer.PendingCount(), 0u);
  EXPECT_NE(capture.Text().find("MDCT07000001"), std::string::npos);
  rig.player.StopPlayback(*performance);
}

TEST(Player, LeadingSilenceIsShiftedButNoNoteIsSkipped) {
  auto song = SongOf(4);
  // First note in measure 3 (slot 48 = tick 768 at 96), then four more.
  for (int c = 16; c < 21; ++c)
    SetCell(*song, c, 60 + c, SLOT_HOLD);
  auto performance = PerformanceOf(*song, 120);
  PlayerRig rig;
  rig.player.StartPlayback(*performance);
  ASSERT_TRUE(rig.RunToEnd());
  const auto notes = Notes(*rig.log);
  ASSERT_EQ(notes.size(), 10u);
  EXPECT_EQ(notes[0].note, 76);
  EXPECT_EQ(notes[0].timeUs, Player::TimerPeriod(96, 120, 100) * 1000);
  rig.player.StopPlayback(*performance);
}

TEST(Player, SecondPlaybackWaitsForTheFirstAndReplacesTheCopy) {
  auto song = SongOf(2);
  for (int c = 0; c < 4; ++c)
    SetCell(*song, c, 60, SLOT_HOLD);
  auto performance = PerformanceOf(*song, 120);
  PlayerRig rig;
  rig.player.StartPlayback(*performance);
  ASSERT_TRUE(rig.RunToEnd());
  const MidiSequence* first = performance->playCopy.get();
  ASSERT_NE(first, nullptr);
  rig.log->Clear();
  rig.player.StartPlayback(*performance);
  ASSERT_TRUE(rig.RunToEnd());
  EXPECT_EQ(Notes(*rig.log).size(), 8u);
  EXPECT_EQ(rig.ended, 2);
  rig.player.StopPlayback(*performance);
}

TEST(Player, TempoEventsAreClamped) {
  ScopedReportCapture capture;
  ManualTimerService timer;
  Player player(timer, FastSleep);
  MidiEvent tempo;
  tempo.kind = EV_META;
  tempo.subtype = META_TEMPO;
  tempo.value = 4000000;
  player.SendEvent(tempo);
  EXPECT_EQ(player.CurrentTempo(), 15u);
  EXPECT_EQ(capture.Text(), "");
  tempo.value = 7000000;
  player.SendEvent(tempo);
  EXPECT_EQ(player.CurrentTempo(), 10u);
  EXPECT_NE(capture.Text().find("MDPL08000003"), std::string::npos);
  tempo.value = 500;
  player.SendEvent(tempo);
  EXPECT_EQ(player.CurrentTempo(), 60u);
  EXPECT_NE(capture.Text().find("MDPL08000006"), std::string::npos);
}

TEST(Player, TimerPeriodFollowsTheTempo) {
  EXPECT_EQ(Player::TimerPeriod(96, 40, 100), 15u);
  EXPECT_EQ(Player::TimerPeriod(96, 80, 100), 7u);
  EXPECT_EQ(Player::TimerPeriod(96, 120, 100), 5u);
  EXPECT_EQ(Player::TimerPeriod(96, 240, 100), 2u);
  EXPECT_EQ(Player::TimerPeriod(960, 240, 100), 1u);  // never below the smallest period
}

TEST(SkipLeadingSilence, ShiftsToTheBlockOfTheFirstNote) {
  MidiSequence s;
  s.form = FORM_NOTES;
  s.division = 96;
  s.track = std::make_unique<MidiTrack>(MakeTrack(
      FORM_NOTES, Events(Control(0, 7, 100), Note(500, 60, 4), Note(300, 62, 4), EndOfTrack(10))));
  EXPECT_EQ(Player::SkipLeadingSilence(s), 384);
  EXPECT_EQ(AbsoluteTimes(*s.track), (std::vector<std::int64_t>{0, 116, 416, 426}));
  MidiSequence early;
  early.form = FORM_NOTES;
  early.division = 96;
  early.track =
      std::make_unique<MidiTrack>(MakeTrack(FORM_NOTES, Events(Note(300, 60, 4), EndOfTrack(10))));
  EXPECT_EQ(Player::SkipLeadingSilence(early), 0);
  EXPECT_EQ(early.track->events[0]->delta, 300);
}

TEST(SkipLeadingSilence, UsesTheTimeSignatureAndChecksTheForm) {
  ScopedReportCapture capture;
  MidiSequence s;
  s.form = FORM_NOTES;
  s.division = 96;
  s.timeSignature = 3 * 256 + 4;  // 288-tick bars
  s.track =
      std::make_unique<MidiTrack>(MakeTrack(FORM_NOTES, Events(Note(600, 60, 4), EndOfTrack(10))));
  EXPECT_EQ(Player::SkipLeadingSilence(s), 576);
  s.form = FORM_BYTES;
  EXPECT_EQ(Player::SkipLeadingSilence(s), 0);
  EXPECT_NE(capture.Text().find("M0DT04000005"), std::string::npos);
}

TEST(ChaseTo, RecordsStateBeforeTheStart) {
  auto bend = Ev(EV_PITCH_BEND, 0, 0x01, 0, 0, 2);
  bend->value = 0x40;
  auto program = Ev(EV_PROGRAM, 10, 0, 0, 0, 1);
  program->value = 5;
  auto t = MakeTrack(FORM_ON_OFF, Events(std::move(program), std::move(bend), Control(20, 7, 90),
                                         Ev(EV_NOTE_ON, 70, 60, 64), EndOfTrack(5)));
  ChaseState chase;
  std::int64_t offset = 0;
  EXPECT_EQ(Player::ChaseTo(t, 100, chase, offset), 3);
  EXPECT_EQ(offset, 30);
  EXPECT_EQ(chase.program[1], 5);
  EXPECT_EQ(chase.bendLow[2], 1);
  EXPECT_EQ(chase.bendHigh[2], 0x40);
  EXPECT_EQ(chase.controller[0][7], 90);
  EXPECT_EQ(chase.tempo, -1);
}

// Practice playback: speed, start position, loop, count-in and cursor.

struct NoteOn {
  std::int64_t timeUs;
  int channel;
  int note;
  int velocity;
};

std::vector<NoteOn> NoteOns(const RecordingLog& log) {
  std::vector<NoteOn> out;
  for (const auto& m : log.Messages()) {
    if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes.size() == 3 && m.bytes[2] != 0) {
      out.push_back({m.timeUs, m.bytes[0] & 0x0F, m.bytes[1], m.bytes[2]});
    }
  }
  return out;
}

// Four measures of 4/4 at 120 bpm, a quarter note on every beat, pitch 60 +
// the beat's number in the song (so each note tells where it came from).
std::unique_ptr<MidiSequence> QuarterNotes(int measures = 4) {
  auto song = SongOf(measures);
  for (int beat = 0; beat < 4 * measures; ++beat) {
    SetCell(*song, 2 * beat, 40 + beat, SLOT_HOLD);
    SetCell(*song, 2 * beat + 1, SLOT_HOLD, SLOT_HOLD);
  }
  return PerformanceOf(*song, 120);
}

constexpr std::int64_t kMeasure = 4 * kPlayerDivision;
constexpr std::int64_t kBeatUs = 500'000;  // a quarter at 120 bpm

// Stops a playback that would go on for ever, running its timers meanwhile.
void StopWhileRunning(PlayerRig& rig, MidiSequence& performance) {
  auto stopped =
      std::async(std::launch::async, [&] { return rig.player.StopPlayback(performance); });
  while (stopped.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    rig.timer.RunNext();
  }
}

// Runs timers until `count` notes have been sent (or nothing is left).
void RunUntilNotes(PlayerRig& rig, std::size_t count) {
  for (int i = 0; i < 100000 && NoteOns(*rig.log).size() < count; ++i) {
    if (!rig.timer.RunNext()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

TEST(PlayerPractice, HalfSpeedDoublesEveryInterval) {
  auto performance = QuarterNotes();
  std::vector<NoteOn> at[2];
  for (int speed : {100, 50}) {
    PlayerRig rig;
    PlayOptions options;
    options.speed = speed;
    rig.player.StartPlayback(*performance, options);
    ASSERT_TRUE(rig.RunToEnd());
    at[speed == 50] = NoteOns(*rig.log);
    rig.player.StopPlayback(*performance);
  }
  ASSERT_EQ(at[0].size(), 16u);
  ASSERT_EQ(at[1].size(), 16u);
  for (std::size_t i = 1; i < 16; ++i) {
    EXPECT_EQ(at[0][i].timeUs - at[0][i - 1].timeUs, kBeatUs) << i;
    EXPECT_EQ(at[1][i].timeUs - at[1][i - 1].timeUs, 2 * kBeatUs) << i;
    EXPECT_EQ(at[1][i].note, at[0][i].note);
  }
}

TEST(PlayerPractice, SpeedChangedMidNoteMovesOnlyWhatFollows) {
  auto performance = QuarterNotes();
  PlayerRig rig;
  rig.player.StartPlayback(*performance);
  RunUntilNotes(rig, 3);
  const std::int64_t third = NoteOns(*rig.log)[2].timeUs;
  ASSERT_TRUE(rig.timer.RunNext());  // the third note's end
  // A fifth of the way to the fourth note, the speed halves: the rest of
  // that beat takes twice as long, and so does every beat after it.
  rig.timer.AdvanceTo(third + kBeatUs / 5);
  rig.player.SetSpeed(50);
  RunUntilNotes(rig, 6);
  const auto notes = NoteOns(*rig.log);
  ASSERT_GE(notes.size(), 6u);
  // Fractions of a tick are truncated once per due time: 1 us at most.
  EXPECT_NEAR(static_cast<double>(notes[3].timeUs), third + kBeatUs / 5 + 2 * (kBeatUs * 4 / 5), 1);
  EXPECT_NEAR(static_cast<double>(notes[4].timeUs - notes[3].timeUs), 2 * kBeatUs, 1);
  EXPECT_NEAR(static_cast<double>(notes[5].timeUs - notes[4].timeUs), 2 * kBeatUs, 1);
  rig.player.SetSpeed(150);
  RunUntilNotes(rig, 8);
  const auto faster = NoteOns(*rig.log);
  ASSERT_GE(faster.size(), 8u);
  EXPECT_NEAR(static_cast<double>(faster[7].timeUs - faster[6].timeUs), kBeatUs / 1.5, 1);
  StopWhileRunning(rig, *performance);
  EXPECT_EQ(rig.player.Speed(), 150);
}

TEST(PlayerPractice, StartAtAMeasureChasesTheStateAndKeepsTheTempo) {
  auto performance = QuarterNotes();
  PlayerRig rig;
  PlayOptions options;
  options.startTick = 2 * kMeasure + kPlayerDivision;  // measure 3, beat 2
  rig.player.StartPlayback(*performance, options);
  ASSERT_TRUE(rig.RunToEnd());
  const auto notes = NoteOns(*rig.log);
  ASSERT_EQ(notes.size(), 7u);
  EXPECT_EQ(notes[0].note, 40 + 9);
  EXPECT_EQ(notes[1].timeUs - notes[0].timeUs, kBeatUs);  // the song's 120, not 240
  const auto m = rig.log->Messages();
  const auto program = std::find_if(m.begin(), m.end(), [](const RecordedMessage& r) {
    return r.bytes == Bytes{0xC0, 106};
  });
  ASSERT_NE(program, m.end());
  EXPECT_LE(program->timeUs, notes[0].timeUs);
  EXPECT_EQ(rig.ended, 1);
  rig.player.StopPlayback(*performance);
}

TEST(PlayerPractice, TwoMeasureLoopRepeatsWithExactSeams) {
  auto performance = QuarterNotes();
  PlayerRig rig;
  std::mutex cursorMutex;
  std::vector<std::int64_t> cursor;
  rig.player.SetCursorCallback([&](std::int64_t slot) {
    std::lock_guard lock(cursorMutex);
    cursor.push_back(slot);
  });
  PlayOptions options;
  options.startTick = kMeasure;  // measures 2 and 3
  options.loopEndTick = 3 * kMeasure;
  rig.player.StartPlayback(*performance, options);
  RunUntilNotes(rig, 3 * 8 + 1);
  StopWhileRunning(rig, *performance);
  const auto notes = NoteOns(*rig.log);
  ASSERT_GE(notes.size(), 25u);
  for (std::size_t i = 0; i < 25; ++i) {
    EXPECT_EQ(notes[i].note, 40 + 4 + static_cast<int>(i % 8)) << i;
    EXPECT_EQ(notes[i].timeUs - notes[0].timeUs, static_cast<std::int64_t>(i) * kBeatUs) << i;
  }
  EXPECT_EQ(rig.ended, 0);
  std::lock_guard lock(cursorMutex);
  ASSERT_GE(cursor.size(), 25u);
  for (std::size_t i = 0; i < 25; ++i) {
    // A beat is six slots; the range starts at beat 4.
    EXPECT_EQ(cursor[i], (4 + static_cast<std::int64_t>(i % 8)) * 6) << i;
  }
}

TEST(PlayerPractice, CountInClicksOneMeasureAtThePlaybackSpeed) {
  auto performance = QuarterNotes(1);
  PlayerRig rig;
  std::vector<std::int64_t> cursor;
  rig.player.SetCursorCallback([&](std::int64_t slot) { cursor.push_back(slot); });
  PlayOptions options;
  options.speed = 50;
  options.countInBeats = 4;
  rig.player.StartPlayback(*performance, options);
  ASSERT_TRUE(rig.RunToEnd());
  const auto notes = NoteOns(*rig.log);
  ASSERT_EQ(notes.size(), 8u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(notes[i].channel, kClickChannel);
    EXPECT_EQ(notes[i].note, kClickNote);
    EXPECT_EQ(notes[i + 4].channel, 0);
    EXPECT_EQ(notes[i + 4].note, 40 + static_cast<int>(i));
  }
  for (std::size_t i = 1; i < 8; ++i) {
    EXPECT_EQ(notes[i].timeUs - notes[i - 1].timeUs, 2 * kBeatUs) << i;
  }
  // The clicks are not the song's: the cursor sees the four notes only.
  EXPECT_EQ(cursor, (std::vector<std::int64_t>{0, 6, 12, 18}));
  rig.player.StopPlayback(*performance);
}

TEST(PlayerPractice, CountInLevelSetsTheClicksAndSilenceKeepsTheWait) {
  auto performance = QuarterNotes(1);
  // The first note of the song, and the clicks' velocities, for a count-in
  // of beats at velocity.
  const auto run = [&](std::int32_t beats, std::int32_t velocity) {
    PlayerRig rig;
    PlayOptions options;
    options.countInBeats = beats;
    options.clickVelocity = velocity;
    rig.player.StartPlayback(*performance, options);
    EXPECT_TRUE(rig.RunToEnd());
    std::vector<int> clicks;
    std::int64_t first = -1;
    for (const NoteOn& n : NoteOns(*rig.log)) {
      if (n.channel == kClickChannel) {
        clicks.push_back(n.velocity);
      } else if (first < 0) {
        first = n.timeUs;
      }
    }
    rig.player.StopPlayback(*performance);
    return std::make_pair(first, clicks);
  };
  const auto plain = run(0, kClickVelocity);
  const auto soft = run(4, 20);
  const auto silent = run(4, 0);
  EXPECT_EQ(soft.second, (std::vector<int>{20, 20, 20, 20}));
  // A note-on of velocity 0 would be a note-off: none is sent at all, and
  // the song still waits the measure.
  EXPECT_TRUE(silent.second.empty());
  EXPECT_EQ(soft.first - plain.first, 4 * kBeatUs);
  EXPECT_EQ(silent.first - plain.first, 4 * kBeatUs);
}

TEST(PlayerPractice, CursorFollowsTheNotesOfAPlainPlayback) {
  auto song = SongOf(3);
  // A rest in measure 1, then notes at slots 24 (measure 2) and 25, 27, 36.
  SetCell(*song, 8, 60, 61, 62);
  SetCell(*song, 9, SLOT_REST, 63);
  SetCell(*song, 12, 64, SLOT_HOLD);
  auto performance = PerformanceOf(*song, 120);
  PlayerRig rig;
  std::vector<std::int64_t> cursor;
  rig.player.SetCursorCallback([&](std::int64_t slot) { cursor.push_back(slot); });
  rig.player.StartPlayback(*performance);
  ASSERT_TRUE(rig.RunToEnd());
  EXPECT_EQ(cursor, (std::vector<std::int64_t>{24, 25, 26, 28, 36}));
  rig.player.StopPlayback(*performance);
}

}  // namespace
}  // namespace kumoito::midi
