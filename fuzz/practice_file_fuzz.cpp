// libFuzzer entry for practice.ini, the input being the file. Whatever it
// holds, the settings read are valid ones, writing them and reading them
// back gives the same settings, and the file read from disk gives what the
// text gives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/practice_file.h"
#include "common/file_util.h"
#include "fuzz/fuzz_support.h"
#include "midi/player.h"

namespace {

using namespace kumoito;

// Files up to this size are read whole (the reader reads at most 4 KiB).
constexpr std::size_t kWholeFileBytes = 4096;

bool Same(const midi::PracticeSettings& a, const midi::PracticeSettings& b) {
  return a.speed == b.speed && a.loop == b.loop && a.loopFirstMeasure == b.loopFirstMeasure &&
         a.loopLastMeasure == b.loopLastMeasure && a.countIn == b.countIn;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietReports();
  static const std::string path = fuzz::ScratchPath(kPracticeFileName);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const midi::PracticeSettings read = ParsePracticeSettings(text);
  KUMOITO_FUZZ_CHECK(read.speed >= midi::kMinSpeed && read.speed <= midi::kMaxSpeed);
  KUMOITO_FUZZ_CHECK(read.speed % midi::kSpeedStep == 0);
  KUMOITO_FUZZ_CHECK(read.loopFirstMeasure >= 1 && read.loopLastMeasure >= 1);
  KUMOITO_FUZZ_CHECK(Same(ValidPracticeSettings(read), read));
  KUMOITO_FUZZ_CHECK(Same(ParsePracticeSettings(FormatPracticeSettings(read)), read));
  if (size <= kWholeFileBytes && WriteFileBytes(path, data, size)) {
    KUMOITO_FUZZ_CHECK(Same(LoadPracticeSettings(path), read));
  }
  return 0;
}
