// libFuzzer entry for the score file's extension reader. Whatever it takes
// from a block must write back as a block it reads the same way: a mark that
// would change from one save to the next is a fault.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "song/score_extension.h"
#include "song/song_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kumoito;
  fuzz::QuietReports();
  std::int32_t beats = 4, key = 0, measures = 256;  // every cell in the song
  static auto song = CSongData::LoadOrCreate("", beats, key, measures);
  static auto again = CSongData::LoadOrCreate("", beats, key, measures);
  song->m_marks.Clear();
  song->m_foreignChunks.clear();
  if (DecodeScoreExtension(*song, data, size) != ExtensionRead::kRead) {
    KUMOITO_FUZZ_CHECK(!song->m_marks.AnyMark() && song->m_foreignChunks.empty());
    return 0;
  }
  const std::vector<unsigned char> block = EncodeScoreExtension(*song);
  if (block.empty()) {
    return 0;
  }
  KUMOITO_FUZZ_CHECK(block.size() <= kMaxScoreExtensionBytes);
  KUMOITO_FUZZ_CHECK(DecodeScoreExtension(*again, block.data(), block.size()) ==
                     ExtensionRead::kRead);
  KUMOITO_FUZZ_CHECK(EncodeScoreExtension(*again) == block);
  return 0;
}
