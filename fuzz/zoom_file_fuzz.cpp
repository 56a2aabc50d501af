// libFuzzer entry for zoom.ini, the input being the file. Whatever it
// holds, the zoom read is one of the steps offered, writing it and reading
// it back gives the same step, and the file read from disk gives what the
// text gives.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/window_zoom.h"
#include "common/file_util.h"
#include "fuzz/fuzz_support.h"

namespace {

// Files up to this size are read whole (the reader reads at most 1 KiB).
constexpr std::size_t kWholeFileBytes = 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kumoito;
  fuzz::QuietReports();
  static const std::string path = fuzz::ScratchPath(kZoomFileName);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int percent = ParseZoomPercent(text);
  KUMOITO_FUZZ_CHECK(std::find(kZoomSteps.begin(), kZoomSteps.end(), percent) != kZoomSteps.end());
  KUMOITO_FUZZ_CHECK(ParseZoomPercent(FormatZoomPercent(percent)) == percent);
  if (size <= kWholeFileBytes && WriteFileBytes(path, data, size)) {
    KUMOITO_FUZZ_CHECK(LoadZoomPercent(path) == percent);
  }
  return 0;
}
