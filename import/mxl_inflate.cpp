#include "import/mxl_archive.h"

#include <memory>
#include <string_view>

#include <zip.h>
#include <pugixml.hpp>

namespace kumoito::import {
namespace {

constexpr const char* kContainerPath = "META-INF/container.xml";

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

ImportError Error(std::string message) {
  return ImportError{std::move(message)};
}

// The entry's contents, or why it may not be read.
std::optional<ImportError> ReadEntry(zip_t* archive, const std::string& name, std::string& out) {
  const zip_int64_t index = zip_name_locate(archive, name.c_str(), 0);
  if (index < 0) {
    return Error("ZIP の中に " + name + " がありません。");
  }
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
      (st.valid & ZIP_STAT_SIZE) == 0 || (st.valid & ZIP_STAT_COMP_SIZE) == 0) {
    return Error("ZIP の " + name + " の大きさが読めません。");
  }
  if (st.size > kMaxEntryBytes) {
    return Error("ZIP の " + name + " は展開すると " + std::to_string(st.size) +
                 " バイトになり、上限の 32 MiB を超えます。");
  }
  // A stored entry has ratio 1; an empty one none at all.
  if (st.size > 0 &&
      (st.comp_size == 0 || st.size / st.comp_size > kMaxCompressionRatio ||
       (st.size / st.comp_size == kMaxCompressionRatio && st.size % st.comp_size != 0))) {
    return Error("ZIP の " + name + " の圧縮率が 100 を超えています。");
  }
  std::unique_ptr<zip_file_t, EntryCloser> file(
      zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
  if (!file) {
    return Error("ZIP の " + name + " を展開できません: " + zip_strerror(archive));
  }
  out.assign(static_cast<std::size_t>(st.size), '\0');
  std::size_t got = 0;
  while (got < out.size()) {
    const zip_int64_t n = zip_fread(file.get(), out.data() + got, out.size() - got);
    if (n <= 0) {
      return Error("ZIP の " + name + " が壊れています: " + zip_file_strerror(file.get()));
    }
    got += static_cast<std::size_t>(n);
  }
  // Whatever inflates beyond the size the directory told is not read.
  char extra;
  if (zip_fread(file.get(), &extra, 1) > 0) {
    return Error("ZIP の " + name + " が目録より大きく展開されます。");
  }
  return std::nullopt;
}

}  // namespace

MxlResult InflateMxlArchive(const unsigned char* data, std::size_t size) {
  MxlResult result;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
  if (source == nullptr) {
    result.error = Error(std::string("ZIP を開けません: ") + zip_error_strerror(&error));
    zip_error_fini(&error);
    return result;
  }
  std::unique_ptr<zip_t, ArchiveCloser> archive(
      zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!archive) {
    zip_source_free(source);
    result.error = Error(std::string("ZIP を開けません: ") + zip_error_strerror(&error));
    zip_error_fini(&error);
    return result;
  }
  zip_error_fini(&error);

  std::string container;
  if (auto fault = ReadEntry(archive.get(), kContainerPath, container)) {
    fault->message += " (MusicXML の ZIP ではありません)";
    result.error = fault;
    return result;
  }
  pugi::xml_document document;
  if (!document.load_buffer(container.data(), container.size())) {
    result.error = Error(std::string(kContainerPath) + " が XML として読めません。");
    return result;
  }
  // The first root file that is MusicXML; one without a media type is taken
  // as such, as older writers leave it out.
  for (pugi::xml_node rootfile :
       document.child("container").child("rootfiles").children("rootfile")) {
    const std::string_view type = rootfile.attribute("media-type").value();
    if (type.empty() || type == "application/vnd.recordare.musicxml+xml") {
      result.rootPath = rootfile.attribute("full-path").value();
      break;
    }
  }
  if (result.rootPath.empty()) {
    result.error = Error(std::string(kContainerPath) + " が MusicXML のファイルを示していません。");
    return result;
  }
  if (auto fault = ReadEntry(archive.get(), result.rootPath, result.text)) {
    result.error = fault;
    result.text.clear();
  }
  return result;
}

}  // namespace kumoito::import
