#include "midi/performance.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/file_util.h"
#include "common/report.h"
#include "midi/midi_event.h"
#include "midi/smf.h"
#include "song/song_data.h"
#include "tests/midi/midi_test_util.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;
using Bytes = std::vector<unsigned char>;
using V = std::vector<std::int32_t>;

std::unique_ptr<CSongData> EmptySong(int measures, int beats = 4) {
  std::int32_t b = beats, key = 0, m = measures;
  return CSongData::LoadOrCreate("", b, key, m);
}

void SetSlots(CSongData& song, int cell, std::int32_t s0, std::int32_t s1,
              std::int32_t s2 = SLOT_NONE) {
  song.m_cells[static_cast<std::size_t>(cell)].pitch[0] = s0;
  song.m_cells[static_cast<std::size_t>(cell)].pitch[1] = s1;
  song.m_cells[static_cast<std::size_t>(cell)].pitch[2] = s2;
}

class PerformanceTest : public ::testing::Test {
 protected:
  PerformanceTest()
      : m_path((std::filesystem::temp_directory_path() /
                ("kumoito_play_" + std::to_string(::getpid()) + ".dat"))
                   .string()) {}
  ~PerformanceTest() override { std::remove(m_path.c_str()); }

  MidiSequence BuildAndRead(const CSongData& song, int tempo) {
    EXPECT_TRUE(BuildPerformance(m_path, tempo, song));
    MidiSequence s;
    ReadSequenceFile(s, m_path);
    return s;
  }
  Bytes FileBytes() {
    Bytes b(kBufferCapacity);
    std::size_t n = 0;
    ReadFileBytes(m_path, b.data(), b.size(), n);
    b.resize(n);
    return b;
  }

  std::string m_path;
};

TEST(TempoConversion, IntegerStepsAndRoundTrip) {
  EXPECT_EQ(TempoToMicroseconds(70), 857000);
  EXPECT_EQ(TempoToMicroseconds(40), 1500000);
  EXPECT_EQ(TempoToMicroseconds(80), 750000);
  EXPECT_EQ(TempoToMicroseconds(120), 500000);
  EXPECT_EQ(TempoToMicroseconds(240), 250000);
  EXPECT_EQ(MicrosecondsToBpm(4000000), 15);
  EXPECT_EQ(MicrosecondsToBpm(7000000), 8);
  for (int bpm = 40; bpm <= 240; ++bpm) {
    EXPECT_EQ(MicrosecondsToBpm(TempoToMicroseconds(bpm)), bpm) << bpm;
  }
}

TEST(TempoConversion, OutOfRangeIsReported) {
  ScopedReportCapture capture;
  EXPECT_EQ(TempoToMicroseconds(0), 0);
  EXPECT_NE(capture.Text().find("GENE01000013"), std::string::npos);
  capture.Clear();
  EXPECT_EQ(MicrosecondsToBpm(999), 0);
  EXPECT_NE(capture.Text().find("GENE01000012"), std::string::npos);
}

TEST_F(PerformanceTest, FileBytesStartWithHeaderTempoProgramAndBendRange) {
  auto song = EmptySong(1);
  SetSlots(*song, 0, 60, 62);
  ASSERT_TRUE(BuildPerformance(m_path, 80, *song));
  const Bytes b = FileBytes();
  const Bytes head = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00,
                      0x00, 0x00, 0x01, 0x03, 0xC0, 0x4D, 0x54, 0x72, 0x6B};
  ASSERT_GT(b.size(), 60u);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 18), head);
  const Bytes events = {0x00, 0xFF, 0x51, 0x03, 0x0B, 0x71, 0xB0,  // 750000 us
                        0x00, 0xC0, 0x6A,                          // program 106
                        0x00, 0xB0, 0x65, 0x00, 0x00, 0xB0, 0x64, 0x00, 0x00, 0xB0,
                        0x06, 0x0C, 0x00, 0x90, 60,   64,   40,   0x80, 60,   64,  // 40-tick note
                        0x78, 0x90, 62,   64,   40,   0x80, 62,   64};  // next one 160 later
  EXPECT_EQ(Bytes(b.begin() + 22, b.begin() + 22 + static_cast<std::ptrdiff_t>(events.size())),
            events);
  EXPECT_EQ(Bytes(b.end() - 3, b.end()), (Bytes{0xFF, 0x2F, 0x00}));
  const std::uint32_t length = (b[18] << 24) | (b[19] << 16) | (b[20] << 8) | b[21];
  EXPECT_EQ(length + 22, b.size());
}

TEST_F(PerformanceTest, ZeroMeasuresGivesSetupEventsOnly) {
  auto song = EmptySong(1);
  song->m_measureCount = 0;
  MidiSequence s = BuildAndRead(*song, 120);
  EXPECT_EQ(s.form, FORM_NOTES);
  EXPECT_EQ(s.division, 960);
  EXPECT_EQ(Kinds(*s.track), (V{EV_META, EV_PROGRAM, EV_CONTROL, EV_CONTROL, EV_CONTROL, EV_META}));
  EXPECT_EQ(s.track->events[0]->value, 500000);
}

TEST_F(PerformanceTest, ReadBackHasFortyTickNotesOnTheSlotGrid) {
  auto song = EmptySong(2);
  // Measure 1: a rest first, then pitches; a divided half beat; the rest held.
  SetSlots(*song, 0, SLOT_REST, 64);
  SetSlots(*song, 1, 65, SLOT_HOLD);
  SetSlots(*song, 2, 67, 69, 71);
  MidiSequence s = BuildAndRead(*song, 70);
  EXPECT_EQ(s.track->events[0]->value, 857000);
  std::vector<std::int64_t> starts;
  std::vector<std::int32_t> pitches;
  const auto times = AbsoluteTimes(*s.track);
  for (std::size_t i = 0; i < s.track->events.size(); ++i) {
    const auto& e = *s.track->events[i];
    if (e.kind == EV_NOTE) {
      EXPECT_EQ(e.duration, 40);
      EXPECT_EQ(e.velocity, 64);
      EXPECT_EQ(e.channel, 0);
      starts.push_back(times[i]);
      pitches.push_back(e.note);
    }
  }
  // Slots: cell 0 -> 0,1,2; cell 1 -> 3,4,5; cell 2 -> 6,7,8.
  EXPECT_EQ(pitches, (V{64, 65, 67, 69, 71}));
  EXPECT_EQ(starts, (std::vector<std::int64_t>{160, 480, 960, 1120, 1280}));
}

// Each technique as the performance plays it, read back from the file.
TEST_F(PerformanceTest, MarksAreHeardAsVelocitiesBendsChordsAndDamping) {
  auto song = EmptySong(2);
  const struct {
    int cell;
    std::int32_t pitch;
    Technique technique;
  } notes[] = {
      {0, 60, Technique::kSukui}, {1, 62, Technique::kHajiki},       {2, 64, Technique::kUchi},
      {3, 65, Technique::kOshi},  {4, 67, Technique::kSuriUp},       {5, 69, Technique::kNone},
      {6, 70, Technique::kKeshi}, {7, SLOT_REST, Technique::kKeshi}, {8, 72, Technique::kNone}};
  for (const auto& n : notes) {
    SetSlots(*song, n.cell, n.pitch, SLOT_HOLD);
    song->m_marks.At(n.cell, 0).technique = n.technique;
  }
  song->m_marks.At(8, 0).together = {76, 79};
  MidiSequence s = BuildAndRead(*song, 120);
  const auto times = AbsoluteTimes(*s.track);
  std::map<std::int32_t, std::pair<std::int64_t, std::int32_t>> byPitch;
  std::vector<std::pair<std::int64_t, std::int32_t>> bends;  // (tick, 14-bit value)
  std::vector<std::int64_t> damped;
  for (std::size_t i = 0; i < s.track->events.size(); ++i) {
    const MidiEvent& e = *s.track->events[i];
    if (e.kind == EV_NOTE) {
      byPitch[e.note] = {times[i], e.velocity};
    } else if (e.kind == EV_PITCH_BEND) {
      bends.push_back({times[i], e.value << 7 | e.note});
    } else if (e.kind == EV_CONTROL && e.subtype == 120) {
      damped.push_back(times[i]);
    }
  }
  const std::int64_t cell = 480;
  EXPECT_EQ(byPitch[60], (std::pair<std::int64_t, std::int32_t>{0, 46}));  // スクイ: softer
  EXPECT_EQ(byPitch[62].second, 42);                                       // ハジキ
  EXPECT_EQ(byPitch[64].second, 30);                                       // ウチ: no stroke
  EXPECT_EQ(byPitch[65].second, 64);                                       // オシ: a stroke
  EXPECT_EQ(byPitch[69].second, 24) << "the note a slide arrives at is not struck again";
  EXPECT_EQ(byPitch[72], (std::pair<std::int64_t, std::int32_t>{8 * cell, 64}));
  EXPECT_EQ(byPitch[76], byPitch[72]) << "a three-string note sounds all its pitches at once";
  EXPECT_EQ(byPitch[79], byPitch[72]);
  // ケシ damps its own note half a slot on, and at once on a rest.
  EXPECT_EQ(damped, (std::vector<std::int64_t>{6 * cell + 80, 7 * cell}));

  // オシ rises to a semitone within its own cell and is back at the centre
  // before the next stroke; スリ glides the whole 2 semitones to the next
  // note and is back at the centre just before it.
  const auto bendAt = [&](std::int64_t from, std::int64_t to) {
    std::vector<std::int32_t> values;
    for (const auto& [tick, value] : bends) {
      if (tick >= from && tick < to)
        values.push_back(value);
    }
    return values;
  };
  const std::vector<std::int32_t> oshi = bendAt(3 * cell, 4 * cell);
  ASSERT_FALSE(oshi.empty());
  EXPECT_TRUE(std::is_sorted(oshi.begin(), oshi.end() - 1));
  EXPECT_EQ(*std::max_element(oshi.begin(), oshi.end()), 8192 + 683);
  EXPECT_EQ(oshi.back(), 8192);
  const std::vector<std::int32_t> suri = bendAt(4 * cell, 5 * cell);
  ASSERT_GE(suri.size(), 2u);
  EXPECT_EQ(*std::max_element(suri.begin(), suri.end()), 8192 + 1365);
  EXPECT_EQ(suri.back(), 8192);
  EXPECT_TRUE(bendAt(5 * cell, 16 * cell).empty());
}

// Repeats are played unfolded, a measure-repeat sign plays the measure
// before it, and the map leads every slot of the performance back to the
// measure of the score the cursor shows.
TEST_F(PerformanceTest, RepeatsAreUnfoldedAndMappedBackToTheScore) {
  auto song = EmptySong(3);
  for (int m = 0; m < 3; ++m) {
    SetSlots(*song, 8 * m, 60 + 2 * m, SLOT_HOLD);
  }
  song->m_marks.measures[1].flags = kRepeatEnd;      // 0 1 0 1 2
  song->m_marks.measures[2].flags = kMeasureRepeat;  // 2 plays 1 again
  MidiSequence s = BuildAndRead(*song, 120);
  const auto times = AbsoluteTimes(*s.track);
  std::vector<std::int32_t> pitches;
  std::vector<std::int64_t> starts;
  for (std::size_t i = 0; i < s.track->events.size(); ++i) {
    if (s.track->events[i]->kind == EV_NOTE) {
      pitches.push_back(s.track->events[i]->note);
      starts.push_back(times[i]);
    }
  }
  const std::int64_t measure = 4 * 960;
  EXPECT_EQ(pitches, (V{60, 62, 60, 62, 62}));
  EXPECT_EQ(starts, (std::vector<std::int64_t>{0, measure, 2 * measure, 3 * measure, 4 * measure}));

  const PerformanceMap map(*song);
  const std::int64_t slots = 4 * 2 * 3;  // slots of a 4/4 measure
  EXPECT_EQ(map.SongSlot(5), 5);
  EXPECT_EQ(map.SongSlot(2 * slots + 7), 7) << "the second pass shows measure 1 again";
  EXPECT_EQ(map.SongSlot(4 * slots + 1), 2 * slots + 1) << "the repeat sign's own measure";
  EXPECT_EQ(map.SongSlot(5 * slots), -1);
  EXPECT_EQ(map.FirstPass(1), 1);
  EXPECT_EQ(map.FirstPass(1, 2), 3);
  EXPECT_EQ(map.FirstPass(0, 3), -1);
}

TEST_F(PerformanceTest, WholeNoteThenRestIsOneNote) {
  auto song = EmptySong(2);
  SetSlots(*song, 0, 60, SLOT_HOLD);
  MidiSequence s = BuildAndRead(*song, 120);
  int notes = 0;
  for (const auto& e : s.track->events)
    notes += e->kind == EV_NOTE;
  EXPECT_EQ(notes, 1);
  // 48 slots; the end of track sits where the last placeholder began.
  EXPECT_EQ(AbsoluteTimes(*s.track).back(), 47 * 160);
}

TEST_F(PerformanceTest, FullSongStaysWithinTheTrack) {
  auto song = EmptySong(256);  // 1024 beats: the largest song
  for (int c = 0; c < song->CellCount(); ++c)
    SetSlots(*song, c, 60 + c % 12, 62, 64);
  MidiSequence s = BuildAndRead(*song, 240);
  int notes = 0;
  for (const auto& e : s.track->events)
    notes += e->kind == EV_NOTE;
  EXPECT_EQ(notes, 3 * kMaxCells);
}

}  // namespace
}  // namespace kumoito::midi
