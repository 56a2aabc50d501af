// Random and mutated score files through the reader and every song operation
// that walks the blocks. Run under the sanitizers, a fault shows as a crash.

#include <gtest/gtest.h>

#include <random>

#include "common/message_box.h"
#include "common/report.h"
#include "song/score_file.h"
#include "song/score_layout.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

namespace L = score_layout;
using namespace test;

// Exercises the operations a loaded song meets afterwards and checks the
// invariants that keep them inside the song's arrays.
void ExerciseLoadedSong(CSongData& song) {
  ASSERT_GE(song.m_measureCount, 0);
  ASSERT_LE(song.BeatCount(), kMaxBeats);
  ASSERT_GE(song.m_keyIndex, 0);
  ASSERT_LT(song.m_keyIndex, 30);
  ASSERT_GE(song.m_info.tempo, kMinTempo);
  ASSERT_LE(song.m_info.tempo, kMaxTempo);
  for (const auto& cell : song.m_cells) {
    for (std::int32_t v : cell.pitch) {
      ASSERT_GE(v, SLOT_NONE);
      ASSERT_LE(v, 127);
    }
  }
  for (int i = 0; i < kExtraTextCount; ++i) {
    ASSERT_LT(song.ExtraText(i).size(), static_cast<std::size_t>(kExtraTextSize));
  }
  for (int m = 0; m < 3; ++m) {
    for (int c = 0; c < 2 * song.m_beatsPerMeasure && c < 16; ++c) {
      (void)song.NoteLength(c, m, 0);
      (void)song.NoteLength(c, m, 1);
    }
  }
  song.NormalizeCells();
  song.TrimTexts();
  song.PackExtraTexts();
  std::vector<unsigned char> image(L::kFileSize);
  BuildScoreImage(image.data(), song, song.m_beatsPerMeasure, song.m_keyIndex, song.m_headerWord);
  song.ClearFreeLabels();
  song.SetMeasureCount(song.m_measureCount + 1);
  song.UpdatePitchRange();
}

std::size_t PickSize(std::mt19937& rng) {
  static constexpr std::size_t kInteresting[] = {0,
                                                 1,
                                                 L::kOldestSize,
                                                 L::kOldChordSize,
                                                 L::kInfoSize,
                                                 L::kInfoSize + 1,
                                                 L::kFreeTextVersion,
                                                 L::kFreeTextVersion - 1,
                                                 L::kFileSize,
                                                 L::kFileSize - 1,
                                                 99208,
                                                 100000};
  if (rng() % 2 == 0) {
    return kInteresting[rng() % std::size(kInteresting)];
  }
  return rng() % 100001;
}

TEST(ScoreFuzz, RandomImagesDecodeSafely) {
  ScopedReportCapture reports;
  ScopedMessageBoxCapture boxes;
  std::mt19937 rng(20261207);
  for (int i = 0; i < 1500; ++i) {
    const std::size_t size = PickSize(rng);
    Bytes bytes(std::min(size, L::kFileSize));
    for (auto& byte : bytes) {
      byte = static_cast<unsigned char>(rng());
    }
    std::int32_t beats = 4, key = 0, measures = 4;
    auto song = CSongData::LoadOrCreate("", beats, key, measures);
    song->ResetSong();
    if (DecodeScoreImage(*song, bytes.data(), size)) {
      ExerciseLoadedSong(*song);
    }
  }
}

TEST(ScoreFuzz, MutatedValidFilesLoadThroughTheFileReader) {
  ScopedReportCapture reports;
  ScopedMessageBoxCapture boxes;
  TempDir dir;
  std::mt19937 rng(94540);
  const Bytes base = MakeCurrentImage(L::kFileSize, 8, 4, 0);
  for (int i = 0; i < 300; ++i) {
    Bytes bytes = base;
    // Header and info fields are where the reader makes its decisions.
    const int edits = 1 + static_cast<int>(rng() % 16);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = (rng() % 3 == 0) ? L::kInfoBlock + rng() % (L::kInfoBlockSize + 12)
                                              : rng() % bytes.size();
      bytes[at] = static_cast<unsigned char>(rng());
    }
    if (rng() % 4 == 0) {
      bytes.resize(rng() % (bytes.size() + 5000), 0x5A);
    }
    Loaded l = LoadBytes(dir, bytes);
    ASSERT_GE(l.beats, kMinBeatsPerMeasure);
    ASSERT_LE(l.beats, kMaxBeatsPerMeasure);
    ExerciseLoadedSong(*l.song);
  }
}

}  // namespace
}  // namespace kumoito
