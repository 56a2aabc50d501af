#include "audio/practice/wait_practice.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audio/pitch/pitch_detector.h"

namespace kumoito::audio {
namespace {

double Off(int note, double cents) {
  return NoteToHz(note + cents / 100.0);
}

// The clock is the test's: readings every 10 ms from a start time.
struct Player {
  WaitPractice& practice;
  double now;
  // Plays hz (0: silence) for seconds; true when a note passed meanwhile.
  bool Play(double hz, double seconds, bool pluck = true) {
    bool passed = false;
    for (double t = 0.0; t < seconds - 1e-9; t += 0.01) {
      passed |= practice.Hear(hz, pluck && t == 0.0, now);
      now += 0.01;
    }
    return passed;
  }
};

TEST(WaitPractice, WaitsAtEachNoteUntilItsPitchIsHeard) {
  WaitPractice practice({{0, 60}, {2, 62}, {4, 64}}, WaitSettings{}, 100.0);
  Player p{practice, 100.0};
  EXPECT_FALSE(p.Play(0.0, 1.0));          // silence: nothing moves
  EXPECT_FALSE(p.Play(Off(62, 0), 0.5));   // the wrong note
  EXPECT_FALSE(p.Play(Off(60, 45), 0.5));  // too sharp
  EXPECT_EQ(practice.CurrentIndex(), 0u);
  EXPECT_TRUE(p.Play(Off(60, 20), 0.2));  // within 30 cents
  EXPECT_EQ(practice.CurrentIndex(), 1u);
  EXPECT_EQ(practice.Current().slot, 2);
  EXPECT_TRUE(p.Play(Off(62, -10), 0.1));
  EXPECT_TRUE(p.Play(Off(64, 0), 0.1));
  EXPECT_TRUE(practice.Done());
  EXPECT_FALSE(p.Play(Off(64, 0), 0.1));  // nothing left to pass

  ASSERT_EQ(practice.Results().size(), 3u);
  // 2 s of waiting plus the 40 ms the note must sound.
  EXPECT_NEAR(practice.Results()[0].waitedSeconds, 2.04, 0.011);
  // The rest of the first note's 0.2 s, then 40 ms of the second.
  EXPECT_NEAR(practice.Results()[1].waitedSeconds, 0.20, 0.011);
  // The first note's attempts: 50 readings at +45, then 5 at +20 (the
  // wrong note, two semitones away, is no attempt at it).
  EXPECT_EQ(practice.Results()[0].attempts, 55);
  EXPECT_NEAR(practice.Results()[0].meanCents, (50 * 45.0 + 5 * 20.0) / 55, 1e-6);
  EXPECT_NEAR(practice.Results()[1].meanCents, -10.0, 1e-6);
  const std::vector<WaitResult> slowest = practice.Slowest(2);
  ASSERT_EQ(slowest.size(), 2u);
  EXPECT_EQ(slowest[0].note.slot, 0);
}

TEST(WaitPractice, OneStrayFrameDoesNotPassANote) {
  WaitPractice practice({{0, 57}}, WaitSettings{}, 0.0);
  EXPECT_FALSE(practice.Hear(Off(57, 0), true, 0.00));
  EXPECT_FALSE(practice.Hear(Off(50, 0), false, 0.01));  // the run is broken
  EXPECT_FALSE(practice.Hear(Off(57, 0), false, 0.02));
  EXPECT_FALSE(practice.Hear(Off(57, 0), false, 0.05));
  EXPECT_TRUE(practice.Hear(Off(57, 0), false, 0.06));
}

TEST(WaitPractice, TheOctaveCountsOnlyWhenTheSettingSaysSo) {
  for (bool any : {true, false}) {
    WaitSettings settings;
    settings.anyOctave = any;
    WaitPractice practice({{0, 60}}, settings, 0.0);
    Player p{practice, 0.0};
    EXPECT_EQ(p.Play(Off(72, 5), 0.2), any);
    EXPECT_EQ(practice.Done(), any);
    if (!any) {
      EXPECT_FALSE(p.Play(Off(48, 5), 0.2));
      EXPECT_TRUE(p.Play(Off(60, 5), 0.2));
    }
  }
}

TEST(WaitPractice, ARepeatedNoteWantsANewPluck) {
  WaitPractice practice({{0, 62}, {1, 62}, {2, 64}}, WaitSettings{}, 0.0);
  Player p{practice, 0.0};
  EXPECT_TRUE(p.Play(Off(62, 0), 0.5));
  EXPECT_EQ(practice.CurrentIndex(), 1u);  // the ringing passed only the first
  EXPECT_FALSE(p.Play(Off(62, 0), 0.5, false));
  EXPECT_TRUE(p.Play(Off(62, 0), 0.1, true));
  EXPECT_EQ(practice.CurrentIndex(), 2u);
  // After silence a held pitch is enough again.
  WaitPractice again({{0, 62}, {1, 62}}, WaitSettings{}, 0.0);
  Player q{again, 0.0};
  EXPECT_TRUE(q.Play(Off(62, 0), 0.1));
  q.Play(0.0, 0.05);
  EXPECT_TRUE(q.Play(Off(62, 0), 0.1, false));
  EXPECT_TRUE(again.Done());
}

}  // namespace
}  // namespace kumoito::audio
