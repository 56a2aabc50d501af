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
#include <string_view>

#include "import/import_error.h"

namespace kumoito::import {

inline constexpr std::uint64_t kMaxEntryBytes = 32ull << 20;  // uncompressed
inline constexpr std::uint64_t kMaxCompressionRatio = 100;

struct MxlResult {
  std::string rootPath;  // the root file's path inside the archive
  std::string text;      // its contents, when there is no error
  std::optional<ImportError> error;
};

// Reads the archive with the inflater, loaded on first use: libzip and the
// crypto library it brings live in a module of their own (kumoito-archive.so),
// as they would cost every other run of the program 0.7 ms of loading.
MxlResult ReadMxlArchive(const unsigned char* data, std::size_t size);

// The inflater itself, built into the module with libzip.
MxlResult InflateMxlArchive(const unsigned char* data, std::size_t size);

// A program that links the inflater (a fuzz target) has ReadMxlArchive call
// it instead of the module's; null goes back to the module.
using MxlInflater = MxlResult (*)(const unsigned char* data, std::size_t size);
void SetMxlInflater(MxlInflater inflater);

// An archive of the MusicXML text as rootPath, its META-INF/container.xml
// naming it and the mimetype entry first, stored; the same text always gives
// the same bytes. nullopt with why when libzip cannot build it.
std::optional<std::string> WriteMxlArchive(std::string_view rootText, std::string_view rootPath,
                                           std::string& why);
// The writer itself, built into the module with libzip.
std::optional<std::string> DeflateMxlArchive(std::string_view rootText, std::string_view rootPath,
                                             std::string& why);

struct ArchiveBackends {
  MxlInflater inflate;
  std::optional<std::string> (*deflate)(std::string_view rootText, std::string_view rootPath,
                                        std::string& why);
};
inline constexpr int kArchiveBackendsAbi = 2;
inline constexpr const char* kArchiveModule = "kumoito-archive.so";
inline constexpr const char* kArchiveModuleEntry = "kumoito_archive_backends";

}  // namespace kumoito::import
