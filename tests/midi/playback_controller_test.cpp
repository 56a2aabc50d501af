#include "midi/playback_controller.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "common/file_util.h"
#include "common/report.h"
#include "midi/performance.h"
#include "tests/midi/player_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;
using Bytes = std::vector<unsigned char>;

struct Posted {
  std::function<void()> task;
  std::chrono::milliseconds delay;
};

class ControllerTest : public ::testing::Test {
 protected:
  ControllerTest()
      : m_folder(TempPath("startup")),
        m_fallback(TempPath("cache")),
        m_log(std::make_shared<RecordingLog>([this] { return m_timer.NowUs(); })),
        m_system(std::make_shared<RecordingSystem>(m_log)) {
    std::filesystem::create_directories(m_folder);
    SetMidiOutSystem(m_system);
    m_controller = std::make_unique<PlaybackController>(
        m_folder, m_fallback, m_timer,
        PlaybackController::Callbacks{
            [this](std::string_view c) { m_captions.emplace_back(c); },
            [this](std::function<void()> task, std::chrono::milliseconds delay) {
              std::lock_guard lock(m_queueMutex);
              m_queue.push_back({std::move(task), delay});
            },
            [this](std::string_view why) { m_noSound.emplace_back(why); }, nullptr, nullptr},
        FastSleep);
  }
  ~ControllerTest() override {
    m_controller.reset();
    SetMidiOutSystem(nullptr);
    std::filesystem::remove_all(m_folder);
    std::filesystem::remove_all(m_fallback);
  }

  std::vector<Posted> TakeQueue() {
    std::lock_guard lock(m_queueMutex);
    return std::exchange(m_queue, {});
  }
  // Plays the timer chain out and waits for the end notice to be queued.
  std::vector<Posted> PlayToEnd() {
    std::vector<Posted> posted;
    for (int i = 0; i < 20000 && posted.empty(); ++i) {
      if (!m_timer.RunNext())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      posted = TakeQueue();
    }
    return posted;
  }
  Bytes LastMessage() {
    const auto m = m_log->Messages();
    return m.empty() ? Bytes{} : m.back().bytes;
  }

  std::string m_folder;
  std::string m_fallback;
  ManualTimerService m_timer;
  std::shared_ptr<RecordingLog> m_log;
  std::shared_ptr<RecordingSystem> m_system;
  std::vector<std::string> m_captions;
  std::vector<std::string> m_noSound;
  std::mutex m_queueMutex;
  std::vector<Posted> m_queue;
  std::unique_ptr<PlaybackController> m_controller;
};

std::unique_ptr<CSongData> ShortSong() {
  auto song = SongOf(1);
  for (int c = 0; c < 4; ++c)
    SetCell(*song, c, 60 + 2 * c, SLOT_HOLD);
  song->m_info.tempo = 120;
  return song;
}

TEST_F(ControllerTest, ResetOpensIdleOutputWithProgram107) {
  m_controller->ResetMidiOut();
  m_controller->WaitForOutput();
  EXPECT_NE(m_controller->IdleOut().handle, nullptr);
  EXPECT_EQ(LastMessage(), (Bytes{0xC0, 107}));
}

TEST_F(ControllerTest, PlayTwiceTogglesCaptionAndReopensIdleOutput) {
  auto song = ShortSong();
  m_controller->ResetMidiOut();
  m_controller->Play(song.get());
  EXPECT_TRUE(m_controller->IsPlaying());
  m_controller->WaitForOutput();
  EXPECT_EQ(m_controller->IdleOut().handle, nullptr);  // the player has its own
  EXPECT_TRUE(FileExists(m_controller->PlayDataPath()));
  ASSERT_NE(m_controller->CurrentPerformance(), nullptr);
  EXPECT_EQ(m_controller->CurrentPerformance()->form, FORM_NOTES);
  EXPECT_EQ(m_controller->CurrentPerformance()->division, 960);
  m_timer.RunNext();
  m_controller->Play(song.get());
  EXPECT_FALSE(m_controller->IsPlaying());
  EXPECT_EQ(m_captions, (std::vector<std::string>{"   停　止", "   再　生"}));
  m_controller->WaitForOutput();
  EXPECT_NE(m_controller->IdleOut().handle, nullptr);
  EXPECT_EQ(LastMessage(), (Bytes{0xC0, 107}));
  EXPECT_EQ(m_controller->CurrentPerformance(), nullptr);
  // An end notice from the stopped playback, if any, changes nothing.
  for (auto& p : TakeQueue())
    p.task();
  EXPECT_EQ(m_captions.size(), 2u);
}

TEST_F(ControllerTest, NoSongNoPlayback) {
  m_controller->Play(nullptr);
  EXPECT_FALSE(m_controller->IsPlaying());
  EXPECT_TRUE(m_captions.empty());
}

TEST_F(ControllerTest, NaturalEndRestoresCaptionThenReopensAfterThreeSeconds) {
  auto song = ShortSong();
  m_controller->Play(song.get());
  auto posted = PlayToEnd();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_TRUE(m_controller->IsPlaying());  // nothing changes until the GUI thread runs it
  posted[0].task();
  EXPECT_FALSE(m_controller->IsPlaying());
  EXPECT_EQ(m_captions.back(), "   再　生");
  auto reopen = TakeQueue();
  ASSERT_EQ(reopen.size(), 1u);
  EXPECT_EQ(reopen[0].delay, std::chrono::milliseconds(3000));
  m_controller->WaitForOutput();
  EXPECT_EQ(m_controller->IdleOut().handle, nullptr);
  reopen[0].task();
  m_controller->WaitForOutput();
  EXPECT_NE(m_controller->IdleOut().handle, nullptr);
  EXPECT_EQ(LastMessage(), (Bytes{0xC0, 107}));
}

TEST_F(ControllerTest, WithoutAnOutputEveryPlaybackSaysWhy) {
  auto song = ShortSong();
  m_controller->Play(song.get());
  auto played = PlayToEnd();
  ASSERT_EQ(played.size(), 1u);
  played[0].task();
  for (auto& p : TakeQueue())
    p.task();                      // the idle output reopened
  EXPECT_TRUE(m_noSound.empty());  // it sounded

  m_system->mapperOpens = false;
  m_system->device0Opens = false;
  for (int round = 0; round < 2; ++round) {
    m_controller->Play(song.get());
    auto posted = PlayToEnd();
    ASSERT_EQ(posted.size(), 1u);
    posted[0].task();
    EXPECT_FALSE(m_controller->IsPlaying());
    EXPECT_EQ(m_captions.back(), "   再　生");
    for (auto& p : TakeQueue())
      p.task();
  }
  // Each silent playback, with the output system's own reason.
  ASSERT_EQ(m_noSound.size(), 2u);
  EXPECT_EQ(m_noSound[0], m_system->WhyNoOutput());
  EXPECT_EQ(m_noSound[1], m_noSound[0]);
}

TEST_F(ControllerTest, PlayPressedDuringTheEndIsNotUndone) {
  auto song = ShortSong();
  m_controller->Play(song.get());
  auto posted = PlayToEnd();
  ASSERT_EQ(posted.size(), 1u);
  m_controller->Play(song.get());  // stop, before the end notice ran
  m_controller->Play(song.get());  // and a new playback
  posted[0].task();                // the old notice must not stop the new one
  EXPECT_TRUE(m_controller->IsPlaying());
  ASSERT_NE(m_controller->CurrentPerformance(), nullptr);
  auto next = PlayToEnd();
  ASSERT_EQ(next.size(), 1u);
  next[0].task();
  // A reopen queued by an earlier end does nothing while a song plays.
  m_controller->Play(song.get());
  for (auto& p : TakeQueue())
    p.task();
  EXPECT_TRUE(m_controller->IsPlaying());
  EXPECT_NE(m_controller->CurrentPerformance(), nullptr);
}

// A pause of the player that lasts until the test lets it go; shorter polls
// pass at once.
class HeldPause {
 public:
  void operator()(std::chrono::milliseconds ms) {
    if (ms < std::chrono::milliseconds(1000)) {
      return;
    }
    std::unique_lock lock(m_mutex);
    ++m_waiting;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_released; });
  }
  void WaitUntilHeld() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting > 0; });
  }
  void Release() {
    std::lock_guard lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_waiting = 0;
  bool m_released = false;
};

TEST_F(ControllerTest, StopAndTheEndNeverWaitForThePlayer) {
  auto pause = std::make_shared<HeldPause>();
  m_controller = std::make_unique<PlaybackController>(
      m_folder, m_fallback, m_timer,
      PlaybackController::Callbacks{
          [this](std::string_view c) { m_captions.emplace_back(c); },
          [this](std::function<void()> task, std::chrono::milliseconds d) {
            std::lock_guard lock(m_queueMutex);
            m_queue.push_back({std::move(task), d});
          },
          nullptr, nullptr, nullptr},
      [pause](std::chrono::milliseconds ms) { (*pause)(ms); });
  auto song = ShortSong();
  m_controller->Play(song.get());
  m_controller->WaitForOutput();
  m_timer.RunNext();
  // Stop: the caption changes before the player has stopped.
  m_controller->Play(song.get());
  EXPECT_FALSE(m_controller->IsPlaying());
  EXPECT_EQ(m_captions.back(), "   再　生");
  pause->WaitUntilHeld();
  EXPECT_TRUE(m_controller->OutputBusy());
  // Play again at once: it waits its turn on the output thread, not here.
  m_controller->Play(song.get());
  EXPECT_TRUE(m_controller->IsPlaying());
  EXPECT_EQ(m_captions.back(), "   停　止");
  EXPECT_TRUE(m_controller->OutputBusy());
  pause->Release();
  m_controller->WaitForOutput();
  EXPECT_EQ(m_controller->IdleOut().handle, nullptr);  // the new playback has the output
  ASSERT_NE(m_controller->CurrentPerformance(), nullptr);
  auto ended = PlayToEnd();
  ASSERT_EQ(ended.size(), 1u);
  ended[0].task();
  EXPECT_EQ(m_captions.back(), "   再　生");
}

TEST_F(ControllerTest, PlaysTheSongItWasGivenWhenPlayDatCannotBeReplaced) {
  // Another song's play.dat that may not be written, in a folder that takes
  // no new file.
  auto other = SongOf(1);
  SetCell(*other, 0, 40, SLOT_HOLD);
  ASSERT_TRUE(BuildPerformance(m_controller->PlayDataPath(), 60, *other));
  const test::Bytes stale = test::ReadFile(m_controller->PlayDataPath());
  test::LockedFolder lockedFile(m_controller->PlayDataPath());
  test::LockedFolder lockedFolder(m_folder);
  if (!lockedFile.Locked() || !lockedFolder.Locked()) {
    GTEST_SKIP() << "this file system cannot lock a file for us";
  }
  ScopedReportCapture reports;
  auto song = ShortSong();
  m_controller->Play(song.get());
  ASSERT_TRUE(m_controller->IsPlaying());
  EXPECT_EQ(test::ReadFile(m_controller->PlayDataPath()), stale);
  // The performance is the song's own, written to the fallback folder.
  const test::Bytes written = test::ReadFile(m_controller->FallbackPlayDataPath());
  ASSERT_GT(written.size(), 14u);
  EXPECT_NE(written, stale);
  ASSERT_NE(m_controller->CurrentPerformance(), nullptr);
  int notes = 0;
  for (const auto& e : m_controller->CurrentPerformance()->track->events) {
    if (e->kind == EV_NOTE) {
      EXPECT_GE(e->note, 60);
      ++notes;
    }
  }
  EXPECT_EQ(notes, 4);
  // The start-up folder's failure is still reported as before.
  EXPECT_NE(reports.Text().find("GENE01000007"), std::string::npos);
}

TEST_F(ControllerTest, WithoutAnyPlaceForPlayDatNothingPlays) {
  auto other = SongOf(1);
  SetCell(*other, 0, 40, SLOT_HOLD);
  ASSERT_TRUE(BuildPerformance(m_controller->PlayDataPath(), 60, *other));
  std::filesystem::create_directories(m_fallback);
  test::LockedFolder lockedFile(m_controller->PlayDataPath());
  test::LockedFolder lockedFolder(m_folder);
  test::LockedFolder lockedFallback(m_fallback);
  if (!lockedFile.Locked() || !lockedFolder.Locked() || !lockedFallback.Locked()) {
    GTEST_SKIP() << "this file system cannot lock a file for us";
  }
  ScopedReportCapture reports;
  auto song = ShortSong();
  m_controller->Play(song.get());
  EXPECT_FALSE(m_controller->IsPlaying());
  EXPECT_EQ(m_controller->CurrentPerformance(), nullptr);
  EXPECT_TRUE(m_captions.empty());
}

TEST_F(ControllerTest, ClosingWhilePlayingStopsFirst) {
  auto song = ShortSong();
  m_controller->Play(song.get());
  m_timer.RunNext();
  m_controller.reset();  // no timer or thread may touch the freed copy (ASan)
  EXPECT_EQ(m_timer.PendingCount(), 0u);
}

TEST(PracticeOptions, StartLoopAndCountInInPlayerTicks) {
  auto song = SongOf(6);  // 4/4: 384 ticks a measure, 48 a half-beat cell
  PracticeSettings practice;
  EXPECT_EQ(PracticeOptions(*song, practice, 1, 1).startTick, 0);
  // Beat position 6 (sixteenths) of measure 3: third cell, second slot.
  EXPECT_EQ(PracticeOptions(*song, practice, 3, 6).startTick, 2 * 384 + 2 * 48 + 16);
  EXPECT_EQ(PracticeOptions(*song, practice, 99, 1).startTick, 5 * 384);  // kept in the song
  practice.loop = true;
  practice.loopFirstMeasure = 2;
  practice.loopLastMeasure = 3;
  practice.countIn = true;
  practice.speed = 70;
  const PlayOptions o = PracticeOptions(*song, practice, 5, 1);
  EXPECT_EQ(o.startTick, 384);  // a loop starts at its own first measure
  EXPECT_EQ(o.loopEndTick, 3 * 384);
  EXPECT_EQ(o.countInBeats, 4);
  EXPECT_EQ(o.clickVelocity, kClickVelocity);
  EXPECT_EQ(o.speed, 70);
  practice.countInLevel = 50;
  EXPECT_EQ(PracticeOptions(*song, practice, 1, 1).clickVelocity, kClickVelocity / 2);
  practice.countInLevel = 300;  // brought inside
  EXPECT_EQ(PracticeOptions(*song, practice, 1, 1).clickVelocity, kClickVelocity);
  practice.countInLevel = 100;
  practice.loopFirstMeasure = 5;
  practice.loopLastMeasure = 2;  // turned round: one measure
  EXPECT_EQ(PracticeOptions(*song, practice, 1, 1).loopEndTick, 5 * 384);
}

// With repeats unfolded, a measure of the score starts at its first pass,
// and a loop runs from there to the first pass of its last measure.
TEST(PracticeOptions, MeasuresNameTheirFirstPassThroughRepeats) {
  auto song = SongOf(6);
  song->m_marks.measures[1].flags = kRepeatStart;
  song->m_marks.measures[2].flags = kRepeatEnd;  // plays 0 1 2 1 2 3 4 5
  PracticeSettings practice;
  EXPECT_EQ(PracticeOptions(*song, practice, 4, 1).startTick, 5 * 384);
  EXPECT_EQ(PracticeOptions(*song, practice, 99, 1).startTick, 7 * 384);
  practice.loop = true;
  practice.loopFirstMeasure = 4;
  practice.loopLastMeasure = 5;
  PlayOptions o = PracticeOptions(*song, practice, 1, 1);
  EXPECT_EQ(o.startTick, 5 * 384);
  EXPECT_EQ(o.loopEndTick, 7 * 384);
  practice.loopFirstMeasure = 2;
  practice.loopLastMeasure = 3;
  o = PracticeOptions(*song, practice, 1, 1);
  EXPECT_EQ(o.startTick, 384);
  EXPECT_EQ(o.loopEndTick, 3 * 384);
}

TEST_F(ControllerTest, PracticeCursorIsPostedAndClearedAtTheStop) {
  std::vector<std::int64_t> cursor;
  m_controller.reset();
  m_controller = std::make_unique<PlaybackController>(
      m_folder, m_fallback, m_timer,
      PlaybackController::Callbacks{
          [this](std::string_view c) { m_captions.emplace_back(c); },
          [this](std::function<void()> task, std::chrono::milliseconds delay) {
            std::lock_guard lock(m_queueMutex);
            m_queue.push_back({std::move(task), delay});
          },
          nullptr, [&cursor](std::int64_t slot) { cursor.push_back(slot); }, nullptr},
      FastSleep);
  auto song = SongOf(2);
  for (int c = 0; c < 8; ++c)
    SetCell(*song, 8 + c, 60 + c, SLOT_HOLD);
  PracticeSettings practice;
  practice.loop = true;
  practice.loopFirstMeasure = 2;
  practice.loopLastMeasure = 2;
  m_controller->Play(song.get(), practice, 1, 1);
  m_controller->WaitForOutput();
  // Twelve notes: the measure and half of it again; only the GUI thread's
  // run of the posted tasks tells the cursor.
  std::vector<Posted> posted;
  for (int i = 0; i < 20000 && posted.size() < 12; ++i) {
    if (!m_timer.RunNext())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (auto& p : TakeQueue())
      posted.push_back(std::move(p));
  }
  ASSERT_EQ(posted.size(), 12u);
  EXPECT_TRUE(cursor.empty());
  for (auto& p : posted)
    p.task();
  ASSERT_EQ(cursor.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i)
    EXPECT_EQ(cursor[i], 24 + 3 * static_cast<std::int64_t>(i % 8)) << i;
  m_controller->Play(song.get());  // stops
  EXPECT_EQ(cursor.back(), kNoCursor);
  // A slot posted before the stop but run after it does not bring it back.
  m_timer.RunNext();
  for (auto& p : TakeQueue())
    p.task();
  EXPECT_EQ(cursor.back(), kNoCursor);
}

// The whole road with the real synthesizer writing a WAV file in real time:
// the audio is not silent and each note sounds at the song's pitch.
double EstimatePitch(const std::vector<float>& x, std::size_t from, std::size_t n, int rate) {
  const std::size_t minLag = static_cast<std::size_t>(rate / 1000);
  const std::size_t maxLag = static_cast<std::size_t>(rate / 60);
  if (from + n + maxLag > x.size())
    return 0;
  std::vector<double> r(maxLag + 1, 0.0);
  double best = 0;
  for (std::size_t lag = minLag; lag <= maxLag; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = from; i < from + n; ++i) {
      xy += x[i] * x[i + lag];
      xx += x[i] * x[i];
      yy += x[i + lag] * x[i + lag];
    }
    r[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
    best = std::max(best, r[lag]);
  }
  // The shortest period whose correlation is near the best avoids octave errors.
  for (std::size_t lag = minLag + 1; lag < maxLag; ++lag) {
    if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      return static_cast<double>(rate) / static_cast<double>(lag);
    }
  }
  return 0;
}

// The 16-bit stereo file the WAV output wrote, as one channel; empty when
// it is not there.
std::vector<float> ReadWavMono(const std::string& wav, int& rate) {
  std::vector<unsigned char> bytes(16 * 1024 * 1024);
  std::size_t n = 0;
  std::vector<float> mono;
  if (!FileExists(wav) || !ReadFileBytes(wav, bytes.data(), bytes.size(), n) || n <= 44) {
    return mono;
  }
  rate = static_cast<int>(LoadLE32(&bytes[24]));
  for (std::size_t i = 44; i + 3 < n; i += 4) {
    const auto l = static_cast<std::int16_t>(LoadLE16(&bytes[i]));
    const auto r = static_cast<std::int16_t>(LoadLE16(&bytes[i + 2]));
    mono.push_back((static_cast<float>(l) + static_cast<float>(r)) / 65536.0f);
  }
  return mono;
}

TEST(WavPlayback, ShortSongIsAudibleAtTheRightPitches) {
  const std::string wav = TempPath("play.wav");
  ::setenv("KUMOITO_MIDI_OUT", ("wav:" + wav).c_str(), 1);
  SetMidiOutSystem(nullptr);
  const int pitches[] = {57, 62, 67, 69};
  {
    auto song = SongOf(1);
    for (int c = 0; c < 4; ++c)
      SetCell(*song, 2 * c, pitches[c], SLOT_HOLD);
    auto performance = PerformanceOf(*song, 80);
    RealTimerService timer;
    Player player(timer, FastSleep);
    player.StartPlayback(*performance);
    for (int i = 0; i < 2000 && !player.IsFinished(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(player.IsFinished());
    player.StopPlayback(*performance);
  }
  ::unsetenv("KUMOITO_MIDI_OUT");

  int rate = 0;
  const std::vector<float> mono = ReadWavMono(wav, rate);
  std::remove(wav.c_str());
  ASSERT_FALSE(mono.empty());
  float peak = 0;
  for (float v : mono)
    peak = std::max(peak, std::abs(v));
  ASSERT_GT(peak, 0.005f) << "silent";
  // Each note's onset: the first sample above a fifth of the peak once half a
  // note's spacing has passed since the previous onset, so that a note the
  // player sent a little late on a busy machine is still found.
  const auto spacing = static_cast<std::size_t>(rate * 0.75);  // 6 slots at 80 bpm
  std::size_t onset = 0;
  for (int k = 0; k < 4; ++k) {
    if (k > 0) {
      onset += spacing / 2;
    }
    while (onset < mono.size() && std::abs(mono[onset]) < peak / 5)
      ++onset;
    ASSERT_LT(onset, mono.size()) << "note " << k << " not found";
    const std::size_t from = onset + rate / 100;
    const double f = EstimatePitch(mono, from, static_cast<std::size_t>(rate / 25), rate);
    const double expected = 440.0 * std::pow(2.0, (pitches[k] - 69) / 12.0);
    ASSERT_GT(f, 0) << "note " << k;
    EXPECT_LT(std::abs(12 * std::log2(f / expected)), 1.0)
        << "note " << k << " " << f << " Hz, expected " << expected;
  }
}

// Plays performance in real time into a WAV file until `notes` notes were
// sent (or the song ended), lets the last one ring for ringMs and gives the
// file as one channel.
std::vector<float> PlayedMono(MidiSequence& performance, const PlayOptions& options,
                              std::size_t notes, double ringMs, int& rate) {
  const std::string wav = TempPath("practice.wav");
  ::setenv("KUMOITO_MIDI_OUT", ("wav:" + wav).c_str(), 1);
  SetMidiOutSystem(nullptr);
  {
    RealTimerService timer;
    Player player(timer, FastSleep);
    std::atomic<std::size_t> sent{0};
    player.SetCursorCallback([&sent](std::int64_t) { ++sent; });
    player.StartPlayback(performance, options);
    for (int i = 0; i < 4000 && !player.IsFinished() && sent < notes; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The last note rings a little before the stop closes the file.
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(ringMs)));
    player.StopPlayback(performance);
  }
  ::unsetenv("KUMOITO_MIDI_OUT");
  SetMidiOutSystem(nullptr);
  std::vector<float> mono = ReadWavMono(wav, rate);
  std::remove(wav.c_str());
  return mono;
}

// The onsets of what PlayedMono recorded, in ms: the first sample above a
// fifth of the peak once half of `spacingMs` has passed since the previous
// onset. Every note is the same, so its rise takes the same time and the
// differences are those of the notes' starts.
std::vector<double> PlayedOnsets(MidiSequence& performance, const PlayOptions& options,
                                 std::size_t notes, double spacingMs) {
  int rate = 0;
  const std::vector<float> mono = PlayedMono(performance, options, notes, spacingMs / 2, rate);
  std::vector<double> onsets;
  if (mono.empty() || rate <= 0) {
    return onsets;
  }
  float peak = 0;
  for (float v : mono)
    peak = std::max(peak, std::abs(v));
  const auto skip = static_cast<std::size_t>(rate * spacingMs / 2000.0);
  for (std::size_t i = 0; i < mono.size(); ++i) {
    if (std::abs(mono[i]) >= peak / 5) {
      onsets.push_back(1000.0 * static_cast<double>(i) / rate);
      i += skip;
    }
  }
  return onsets;
}

std::unique_ptr<MidiSequence> SameQuarterNotes(int measures) {
  auto song = SongOf(measures);
  for (int beat = 0; beat < 4 * measures; ++beat)
    SetCell(*song, 2 * beat, 62, SLOT_HOLD);
  return PerformanceOf(*song, 120);  // 500 ms a quarter
}

// The real timer on a machine shared with other work may be a few ms late
// once; a fault of the player is late every time. So a run whose intervals
// are all in time passes, and three tries are allowed. The synthesizer
// sounds the first note of a file a few ms late (its first voice), so the
// intervals looked at start at the second note.
constexpr int kTries = 3;
constexpr double kToleranceMs = 2.0;

std::string Intervals(const std::vector<double>& onsets) {
  std::string text;
  for (std::size_t i = 1; i < onsets.size(); ++i)
    text += std::to_string(onsets[i] - onsets[i - 1]) + " ";
  return text;
}

TEST(WavPlayback, OnsetsAtHalfSpeedAreTwiceAsFarApart) {
  auto performance = SameQuarterNotes(2);
  PlayOptions options;
  options.speed = 50;
  std::string seen;
  bool inTime = false;
  for (int attempt = 0; attempt < kTries && !inTime; ++attempt) {
    const auto onsets = PlayedOnsets(*performance, options, 5, 1000);
    ASSERT_GE(onsets.size(), 5u) << Intervals(onsets);
    inTime = true;
    for (std::size_t i = 2; i < 5; ++i)
      inTime = inTime && std::abs(onsets[i] - onsets[i - 1] - 1000.0) <= kToleranceMs;
    seen += Intervals(onsets) + "| ";
  }
  EXPECT_TRUE(inTime) << "intervals (ms): " << seen;
}

TEST(WavPlayback, LoopSeamHasNoGap) {
  auto performance = SameQuarterNotes(2);
  PlayOptions options;
  options.startTick = 4 * kPlayerDivision;  // the second measure, over and over
  options.loopEndTick = 8 * kPlayerDivision;
  std::string seen;
  bool inTime = false;
  for (int attempt = 0; attempt < kTries && !inTime; ++attempt) {
    const auto onsets = PlayedOnsets(*performance, options, 10, 500);
    ASSERT_GE(onsets.size(), 10u) << Intervals(onsets);
    // Seams between onsets 3 and 4 and between 7 and 8.
    inTime = true;
    for (std::size_t i = 2; i < 10; ++i)
      inTime = inTime && std::abs(onsets[i] - onsets[i - 1] - 500.0) <= kToleranceMs;
    seen += Intervals(onsets) + "| ";
  }
  EXPECT_TRUE(inTime) << "intervals (ms): " << seen;
}

// The loudest sample of mono[from, to) in dBFS; -inf when silent.
double PeakDbfs(const std::vector<float>& mono, std::size_t from, std::size_t to) {
  float peak = 0;
  for (std::size_t i = from; i < std::min(to, mono.size()); ++i)
    peak = std::max(peak, std::abs(mono[i]));
  return 20 * std::log10(static_cast<double>(peak));
}

// The real-time output shares the offline renderer's synthesizer and gain:
// its notes as loud, the count-in's clicks below them.
TEST(WavPlayback, CountInClicksAreNoLouderThanTheNotes) {
  auto performance = SameQuarterNotes(1);
  PlayOptions options;
  options.countInBeats = 4;
  int rate = 0;
  const std::vector<float> mono = PlayedMono(*performance, options, 4, 400, rate);
  ASSERT_GT(rate, 0);
  // The file starts at the first click; the song comes four beats (2 s)
  // later. A tenth of a second either side leaves the timer's lateness out.
  const auto songStart = static_cast<std::size_t>(rate) * 2;
  ASSERT_GT(mono.size(), songStart + static_cast<std::size_t>(rate));
  const double clicks = PeakDbfs(mono, 0, songStart - rate / 10);
  const double notes = PeakDbfs(mono, songStart + rate / 10, mono.size());
  EXPECT_GT(clicks, -40.0) << "the count-in is not heard";
  EXPECT_LE(clicks, notes);
  EXPECT_GE(notes, -9.0);
  EXPECT_LE(notes, -3.0);
}

}  // namespace
}  // namespace kumoito::midi
