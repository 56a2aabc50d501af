// libFuzzer entry for the score reader: the first four bytes choose the size
// the reader is told (its version), the rest are the file's bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/message_box.h"
#include "common/report.h"
#include "song/score_file.h"
#include "song/score_layout.h"
#include "song/song_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kumoito;
  static ScopedReportCapture* quiet = new ScopedReportCapture;
  static ScopedMessageBoxCapture* quietBoxes = new ScopedMessageBoxCapture;
  (void)quietBoxes;
  quiet->Clear();
  if (size < 4) {
    return 0;
  }
  static constexpr std::size_t kSizes[] = {score_layout::kOldestSize, score_layout::kOldChordSize,
                                           score_layout::kInfoSize, score_layout::kFreeTextVersion,
                                           score_layout::kFileSize};
  const std::size_t told = data[0] < 5 ? kSizes[data[0]] : (size - 4);
  std::vector<unsigned char> bytes(std::min(told, score_layout::kFileSize), 0);
  std::copy(data + 4, data + std::min(size, bytes.size() + 4), bytes.begin());

  std::int32_t beats = 4, key = 0, measures = 1;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  song->ResetSong();
  if (DecodeScoreImage(*song, bytes.data(), told)) {
    song->NormalizeCells();
    song->TrimTexts();
    song->PackExtraTexts();
    std::vector<unsigned char> image(score_layout::kFileSize);
    BuildScoreImage(image.data(), *song, song->m_beatsPerMeasure, song->m_keyIndex, 1);
    song->SetMeasureCount(song->m_measureCount + 3);
    song->NoteLength(0, 0, 0);
  }
  return 0;
}
