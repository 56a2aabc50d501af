// libFuzzer entry for the font-match cache. An input whose first byte is
// even is the cache file as it stands; an odd one edits a cache that is
// valid for this process's own font and watched files (the fingerprint
// holds inode numbers and times, which no starting input can know), so that
// the fuzzer reaches past the fingerprint too. Whatever the bytes, an
// answer names a regular file with a valid face index.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "common/file_util.h"
#include "fuzz/fuzz_support.h"
#include "render/font_match_cache.h"

namespace {

using namespace kumoito;

constexpr const char* kPattern = "sans-serif:lang=ja";

struct Setup {
  FontWatchList watched;
  FontLocation font;
  std::string cache;
  std::string valid;  // the cache StoreFontMatch writes for font
};

const Setup& TheSetup() {
  static const Setup setup = [] {
    Setup s;
    MakeDirectories(fuzz::ScratchPath("fonts/family"));
    MakeDirectories(fuzz::ScratchPath("conf.d"));
    std::ofstream(fuzz::ScratchPath("fonts.conf")) << "<fontconfig/>";
    std::ofstream(fuzz::ScratchPath("conf.d/10-rule.conf")) << "<fontconfig/>";
    std::ofstream(fuzz::ScratchPath("fonts/family/face.ttf")) << "face";
    s.watched.files = {fuzz::ScratchPath("fonts.conf"), fuzz::ScratchPath("missing.conf")};
    s.watched.folders = {fuzz::ScratchPath("conf.d")};
    s.watched.fontFolders = {fuzz::ScratchPath("fonts")};
    s.font = {fuzz::ScratchPath("fonts/family/face.ttf"), 2};
    s.cache = fuzz::ScratchPath("cache/font-match");
    if (!StoreFontMatch(s.cache, kPattern, s.font, s.watched)) {
      std::abort();
    }
    std::error_code why;
    s.valid = ReadWholeFile(s.cache, 1 << 20, why).value_or("");
    // A stored answer comes back, or the edits below would start from none.
    if (LoadFontMatch(s.cache, kPattern, s.watched) != s.font) {
      std::abort();
    }
    return s;
  }();
  return setup;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietReports();
  const Setup& s = TheSetup();
  std::string cache(reinterpret_cast<const char*>(data), size);
  if (size >= 3 && (data[0] & 1) != 0) {
    // Bytes 3.. overwrite the valid cache from the offset in bytes 1 and 2.
    cache = s.valid;
    const std::size_t at = (data[1] | (std::size_t{data[2]} << 8)) % (cache.size() + 1);
    cache.replace(at, std::min(size - 3, cache.size() - at),
                  reinterpret_cast<const char*>(data) + 3, size - 3);
  }
  if (!WriteFileBytes(s.cache, cache.data(), cache.size())) {
    return 0;
  }
  if (const std::optional<FontLocation> match = LoadFontMatch(s.cache, kPattern, s.watched)) {
    std::error_code why;
    KUMOITO_FUZZ_CHECK(RegularFileSize(match->file, why).has_value());
    KUMOITO_FUZZ_CHECK(match->index >= 0 && match->index <= 0xFFFF);
  }
  return 0;
}
