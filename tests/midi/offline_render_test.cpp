#include "midi/offline_render.h"

#include <gtest/gtest.h>

#include <vector>

#include "midi/performance.h"
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

}  // namespace
}  // namespace kumoito::midi
