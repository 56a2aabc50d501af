// libFuzzer entry for the settings file: the input, cut to 24 bytes, is the
// file. It is loaded as the window does at its start and written back as at
// its end; the block must come out valid and the written file must hold it.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/config_control.h"
#include "common/file_util.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace kumoito;

std::array<std::int32_t, kSettingsFieldCount> Fields(const SettingsBlock& b) {
  return {b.firstStringValue, b.tuning, b.libraryCategory, b.titleBand, b.lyricsShown, b.key};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietReports();
  static const std::string path = fuzz::ScratchPath(kSettingsFileName);
  size = std::min(size, kSettingsFileSize);

  // The bytes alone, as a whole file would give them.
  std::array<unsigned char, kSettingsFileSize> whole{};
  std::memcpy(whole.data(), data, size);
  const SettingsBlock decoded = CConfigControl::DecodeSettings(whole.data());
  std::array<unsigned char, kSettingsFileSize> encoded{};
  CConfigControl::EncodeSettings(decoded, encoded.data());
  KUMOITO_FUZZ_CHECK(encoded == whole);

  if (!WriteFileBytes(path, data, size)) {
    return 0;
  }
  SettingsBlock block{};
  {
    CConfigControl config(path, &block);
    KUMOITO_FUZZ_CHECK(block.firstStringValue >= 0 &&
                       block.firstStringValue < kSettingsFirstStringCount);
    KUMOITO_FUZZ_CHECK(block.tuning >= 0 && block.tuning < kSettingsTuningCount);
    KUMOITO_FUZZ_CHECK(block.key >= 0 && block.key < kSettingsKeyCount);
    // A field the file covers whole comes from the file (made valid); any
    // other keeps its default.
    const auto got = Fields(block);
    const auto defaults = Fields(kDefaultSettings);
    const SettingsBlock valid = {ValidFirstStringValue(decoded.firstStringValue),
                                 ValidTuningIndex(decoded.tuning),
                                 decoded.libraryCategory,
                                 decoded.titleBand,
                                 decoded.lyricsShown,
                                 ValidMajorKeyIndex(decoded.key)};
    const auto validFromFile = Fields(valid);
    for (std::size_t i = 0; i < got.size(); ++i) {
      const bool covered = (i + 1) * 4 <= size;
      KUMOITO_FUZZ_CHECK(got[i] == (covered ? validFromFile[i] : defaults[i]));
    }
  }

  // The block the window ends with is the whole file, 24 bytes.
  std::array<unsigned char, kSettingsFileSize + 1> file{};
  std::size_t count = 0;
  KUMOITO_FUZZ_CHECK(ReadFileBytes(path, file.data(), file.size(), count));
  KUMOITO_FUZZ_CHECK(count == kSettingsFileSize);
  const auto stored = Fields(CConfigControl::DecodeSettings(file.data()));
  KUMOITO_FUZZ_CHECK(stored == Fields(block));
  return 0;
}
