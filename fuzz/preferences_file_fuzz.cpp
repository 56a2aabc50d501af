// libFuzzer entry for preferences.ini, the input being the file. Whatever it
// holds, the preferences read are valid ones, their file reads back as the
// same preferences and holds one line per setting, and the file read from
// disk gives what the text gives.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/preferences_file.h"
#include "common/file_util.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace kumoito;

// Files below the reader's limit are read whole; at the limit their last
// line may be dropped.
constexpr std::size_t kWholeFileBytes = 8191;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietReports();
  static const std::string path = fuzz::ScratchPath(kPreferencesFileName);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Preferences read = ParsePreferences(text);
  KUMOITO_FUZZ_CHECK(read.volume >= kMinVolume && read.volume <= kMaxVolume);
  KUMOITO_FUZZ_CHECK(read.countInLevel >= 0 && read.countInLevel <= kMaxCountInLevel);
  KUMOITO_FUZZ_CHECK(read.soundFont.size() <= kMaxSoundFontPath);
  KUMOITO_FUZZ_CHECK(read.soundFont.empty() || read.soundFont.front() == '/');
  KUMOITO_FUZZ_CHECK(ValidPreferences(read) == read);
  const std::string written = FormatPreferences(read);
  KUMOITO_FUZZ_CHECK(std::count(written.begin(), written.end(), '\n') == 10);
  KUMOITO_FUZZ_CHECK(ParsePreferences(written) == read);
  if (size <= kWholeFileBytes && WriteFileBytes(path, data, size)) {
    KUMOITO_FUZZ_CHECK(LoadPreferences(path) == read);
  }
  return 0;
}
