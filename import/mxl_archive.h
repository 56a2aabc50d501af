#pragma once
// Compressed MusicXML (.mxl): a ZIP whose META-INF/container.xml names the
// root file. Every entry is measured from the archive's directory before a
// byte of it is inflated, so that an archive built to explode is refused
// unread.
//
// Thread-safety: pure functions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "import/import_error.h"

namespace kumoito::import {

inline constexpr std::uint64_t kMaxEntryBytes = 32ull << 20;  // uncompressed
inline constexpr std::uint64_t kMaxCompressionRatio = 100;

struct MxlResult {
  std::string rootPath;  // the root file's path inside the archive
  std::string text;      // its contents, when there is no error
  std::optional<ImportError> error;
};

MxlResult ReadMxlArchive(const unsigned char* data, std::size_t size);

}  // namespace kumoito::import
