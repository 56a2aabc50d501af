#pragma once
// What every fuzz target shares: silenced reports and message boxes (a
// report per input would make the run write more than it fuzzes), a check
// that stops the run like a sanitizer does, and a scratch folder of the
// process for the readers that only take paths.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "common/message_box.h"
#include "common/report.h"

namespace kumoito::fuzz {

// Drops what earlier inputs reported, so that the capture does not grow
// without bound over a million runs.
inline void QuietReports() {
  static ScopedReportCapture* reports = new ScopedReportCapture;
  static ScopedMessageBoxCapture* boxes = new ScopedMessageBoxCapture;
  (void)boxes;
  reports->Clear();
}

// A broken promise of the code under test: abort so that libFuzzer keeps the
// input, with the promise named in the log.
#define KUMOITO_FUZZ_CHECK(condition)                                                    \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

// A folder of this process's own, removed when the run ends, so that one
// run never reads what another one is writing. In memory where the system
// has such a folder: a rename on a journalling disk costs milliseconds, and
// the file helpers rename on every write.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    std::error_code ec;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0) {
      base = std::filesystem::temp_directory_path(ec);
    }
    std::string pattern = (base / "kumoito-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("kumoito fuzz: no scratch folder");
      std::abort();
    }
    static const std::string removed = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(removed, ignored);
    });
    return pattern;
  }();
  return folder;
}

inline std::string ScratchPath(std::string_view name) {
  return ScratchFolder() + "/" + std::string(name);
}

}  // namespace kumoito::fuzz
