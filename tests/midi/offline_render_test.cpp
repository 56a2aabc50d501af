#include "midi/offline_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/file_util.h"
#include "midi/performance.h"
#include "midi/player.h"
#include "song/song_data.h"

namespace kumoito::midi {
namespace {

std::vector<TimedMessage> NoteOns(const std::vector<TimedMessage>& messages) {
  std::vector<TimedMessage> ons;
  for (const TimedMessage& m : messages) {
    if ((m.packed & 0xF0) == 0x90 && (m.packed >> 16) != 0) {
      ons.push_back(m);
    }
  }
  return ons;
}

TEST(ScheduleMessages, NotesSoundOnTheirBeatsAtTheSongsTempo) {
  std::int32_t beats = 4, key = 0, measures = 1;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  // Quarter notes on beats 0, 1 and 3 (two cells a beat).
  song->m_cells[0].pitch[0] = 60;
  song->m_cells[2].pitch[0] = 64;
  song->m_cells[6].pitch[0] = 67;
  for (std::int32_t tempo : {120, 90}) {
    SCOPED_TRACE(tempo);
    const auto image = BuildPerformanceImage(tempo, *song);
    ASSERT_TRUE(image.has_value());
    const auto messages = ScheduleMessages(image->data(), image->size());
    ASSERT_FALSE(messages.empty());
    // The shamisen is chosen before the first note.
    EXPECT_EQ(messages.front().packed, 0xC0u | (kShamisenProgram << 8));
    const auto ons = NoteOns(messages);
    ASSERT_EQ(ons.size(), 3u);
    const double beat = 60.0 / tempo * kSynthSampleRate;
    EXPECT_EQ(ons[0].frame, 0u);
    EXPECT_NEAR(static_cast<double>(ons[1].frame), beat, 1);
    EXPECT_NEAR(static_cast<double>(ons[2].frame), 3 * beat, 1);
    EXPECT_EQ((ons[1].packed >> 8) & 0x7F, 64u);
    // Frames never go back: the synthesizer renders up to each in turn.
    for (std::size_t i = 1; i < messages.size(); ++i) {
      EXPECT_GE(messages[i].frame, messages[i - 1].frame);
    }
  }
}

TEST(ScheduleMessages, AForeignOrBrokenImageGivesNothing) {
  const unsigned char junk[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
  EXPECT_TRUE(ScheduleMessages(junk, sizeof junk).empty());
  EXPECT_TRUE(ScheduleMessages(junk, 0).empty());
}

// The loudest sample of a 16-bit stereo WAV image between two frames, in
// dBFS; -inf when that stretch is silent or outside the file.
double PeakDbfs(const std::vector<unsigned char>& wav, std::uint64_t fromFrame,
                std::uint64_t toFrame) {
  constexpr std::size_t kHeader = 44;
  constexpr std::size_t kFrameBytes = 4;
  int peak = 0;
  for (std::uint64_t f = fromFrame; f < toFrame; ++f) {
    const std::size_t at = kHeader + static_cast<std::size_t>(f) * kFrameBytes;
    if (at + kFrameBytes > wav.size()) {
      break;
    }
    for (std::size_t c = 0; c < kFrameBytes; c += 2) {
      peak = std::max(
          peak, std::abs(static_cast<int>(static_cast<std::int16_t>(LoadLE16(&wav[at + c])))));
    }
  }
  return 20 * std::log10(peak / 32768.0);
}

// A measure of the player's count-in clicks, one a beat at tempo, then the
// song's messages moved behind them: what a practice run with a count-in
// sends, on the offline synthesizer's clock.
std::vector<TimedMessage> WithCountIn(const std::vector<TimedMessage>& song, int beats,
                                      std::int32_t tempo) {
  const auto beat = static_cast<std::uint64_t>(60.0 / tempo * kSynthSampleRate);
  const auto click = [](int status) {
    return static_cast<std::uint32_t>(status | kClickChannel) |
           (static_cast<std::uint32_t>(kClickNote) << 8) |
           (static_cast<std::uint32_t>(status == 0x90 ? kClickVelocity : 0) << 16);
  };
  std::vector<TimedMessage> out;
  // The program goes first, as the player sends the state before the clicks.
  out.push_back(song.front());
  for (int b = 0; b < beats; ++b) {
    out.push_back({b * beat, click(0x90)});
    out.push_back({b * beat + beat / 2, click(0x80)});
  }
  for (std::size_t i = 1; i < song.size(); ++i) {
    out.push_back({song[i].frame + beats * beat, song[i].packed});
  }
  return out;
}

// Laptop speakers need the notes near full scale, yet a note must never
// clip; and the clicks that lead in must not drown the song they lead into.
TEST(OfflineRender, NotesPeakNearFullScaleAndTheCountInStaysBelowThem) {
  if (!FileExists(kDefaultSoundFont)) {
    GTEST_SKIP() << "no soundfont at " << kDefaultSoundFont;
  }
  std::string why;
  const SoundBackends* backends = SoundModule(&why);
  ASSERT_NE(backends, nullptr) << why;
  std::int32_t beats = 4, key = 0, measures = 2;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  // Low and high strings, short and held notes: the loudest a melody gets.
  const int pitches[] = {50, 57, 62, 69, 74, 81, 62, 57};
  for (int c = 0; c < 8; ++c) {
    song->m_cells[static_cast<std::size_t>(2 * c)].pitch[0] = pitches[c];
    song->m_cells[static_cast<std::size_t>(2 * c + 1)].pitch[0] = pitches[7 - c];
  }
  constexpr std::int32_t kTempo = 100;
  const auto image = BuildPerformanceImage(kTempo, *song);
  ASSERT_TRUE(image.has_value());
  const auto messages = WithCountIn(ScheduleMessages(image->data(), image->size()), 4, kTempo);
  const auto firstNote = NoteOns(messages);
  ASSERT_FALSE(firstNote.empty());
  std::uint64_t songStart = 0;
  for (const TimedMessage& m : firstNote) {
    if ((m.packed & 0x0F) != kClickChannel) {
      songStart = m.frame;
      break;
    }
  }
  ASSERT_GT(songStart, 0u);
  std::vector<unsigned char> wav;
  ASSERT_TRUE(
      backends->renderOfflineWav(kDefaultSoundFont, messages.data(), messages.size(), wav, why))
      << why;
  const double clicks = PeakDbfs(wav, 0, songStart);
  const double notes = PeakDbfs(wav, songStart, wav.size() / 4);
  EXPECT_GE(notes, -9.0);
  EXPECT_LE(notes, -3.0);
  EXPECT_GT(clicks, -40.0) << "the count-in is not heard";
  EXPECT_LE(clicks, notes);
}

// The volume setting scales the synthesizer's gain: half the volume is half
// the amplitude, 6 dB down, with the same font and the same messages.
TEST(OfflineRender, TheVolumeSettingScalesTheSynthesizersGain) {
  if (!FileExists(kDefaultSoundFont)) {
    GTEST_SKIP() << "no soundfont at " << kDefaultSoundFont;
  }
  std::int32_t beats = 4, key = 0, measures = 1;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  song->m_cells[0].pitch[0] = 57;
  song->m_cells[2].pitch[0] = 62;
  const auto image = BuildPerformanceImage(100, *song);
  ASSERT_TRUE(image.has_value());
  const auto messages = ScheduleMessages(image->data(), image->size());
  const auto peakAt = [&](int percent) {
    SetSynthVolume(percent);
    std::string why;
    const SoundBackends* backends = SoundModule(&why);  // hands the volume over
    EXPECT_NE(backends, nullptr) << why;
    std::vector<unsigned char> wav;
    EXPECT_TRUE(
        backends != nullptr &&
        backends->renderOfflineWav(kDefaultSoundFont, messages.data(), messages.size(), wav, why))
        << why;
    return wav.size() > 44 ? PeakDbfs(wav, 0, (wav.size() - 44) / 4) : -1000.0;
  };
  const double usual = peakAt(100);
  const double half = peakAt(50);
  SetSynthVolume(100);
  EXPECT_NEAR(half - usual, -6.02, 0.3);
  EXPECT_DOUBLE_EQ(SynthGainScale(), 1.0);
}

}  // namespace
}  // namespace kumoito::midi
