#include <memory>
#include <string>

#include <zip.h>

#include "import/mxl_archive.h"

namespace kumoito::import {
namespace {

// Readers find the format by these bytes at offset 38, so the entry comes
// first and is stored.
constexpr std::string_view kMimeType = "application/vnd.recordare.musicxml";
// A fixed time, so that the same song gives the same archive.
constexpr time_t kEntryTime = 1577836800;  // 2020-01-01

struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

std::string ContainerText(std::string_view rootPath) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<container>\n"
         "  <rootfiles>\n"
         "    <rootfile full-path=\"" +
         std::string(rootPath) +
         "\" media-type=\"application/vnd.recordare.musicxml+xml\"/>\n"
         "  </rootfiles>\n"
         "</container>\n";
}

bool AddEntry(zip_t* archive, const char* name, std::string_view bytes, bool stored,
              std::string& why) {
  zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
  if (source == nullptr) {
    why = zip_strerror(archive);
    return false;
  }
  const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    why = zip_strerror(archive);
    return false;
  }
  const auto entry = static_cast<zip_uint64_t>(index);
  // MusicXML is markup repeated thousands of times: the fastest level packs
  // it nearly as tight as the best, in a sixth of the time.
  if (zip_set_file_compression(archive, entry, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1) != 0 ||
      zip_file_set_mtime(archive, entry, kEntryTime, 0) != 0) {
    why = zip_strerror(archive);
    return false;
  }
  return true;
}

// The bytes libzip wrote into the buffer source.
std::optional<std::string> SourceBytes(zip_source_t* source, std::string& why) {
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_open(source) != 0) {
    why = zip_error_strerror(zip_source_error(source));
    return std::nullopt;
  }
  std::string out;
  if (zip_source_stat(source, &st) == 0 && (st.valid & ZIP_STAT_SIZE) != 0) {
    out.resize(static_cast<std::size_t>(st.size));
    std::size_t got = 0;
    while (got < out.size()) {
      const zip_int64_t n = zip_source_read(source, out.data() + got, out.size() - got);
      if (n <= 0) {
        break;
      }
      got += static_cast<std::size_t>(n);
    }
    out.resize(got);
  }
  zip_source_close(source);
  if (out.empty()) {
    why = "the archive came out empty";
    return std::nullopt;
  }
  return out;
}

}  // namespace

std::optional<std::string> DeflateMxlArchive(std::string_view rootText, std::string_view rootPath,
                                             std::string& why) {
  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, SourceFree> source(zip_source_buffer_create(nullptr, 0, 0, &error));
  if (!source) {
    why = zip_error_strerror(&error);
    zip_error_fini(&error);
    return std::nullopt;
  }
  zip_t* archive = zip_open_from_source(source.get(), ZIP_TRUNCATE, &error);
  if (archive == nullptr) {
    why = zip_error_strerror(&error);
    zip_error_fini(&error);
    return std::nullopt;
  }
  zip_error_fini(&error);
  // The archive would free the source on closing; the bytes are read after.
  zip_source_keep(source.get());
  const std::string container = ContainerText(rootPath);
  const std::string root(rootPath);
  if (!AddEntry(archive, "mimetype", kMimeType, true, why) ||
      !AddEntry(archive, "META-INF/container.xml", container, false, why) ||
      !AddEntry(archive, root.c_str(), rootText, false, why)) {
    zip_discard(archive);
    return std::nullopt;
  }
  if (zip_close(archive) != 0) {
    why = zip_strerror(archive);
    zip_discard(archive);
    return std::nullopt;
  }
  return SourceBytes(source.get(), why);
}

}  // namespace kumoito::import
