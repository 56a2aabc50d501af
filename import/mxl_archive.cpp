#include "import/mxl_archive.h"

#include <atomic>
#include <string>

#include "common/module_loader.h"

namespace kumoito::import {
namespace {

std::atomic<MxlInflater> g_inflater{nullptr};

const ArchiveBackends* ArchiveModule(std::string& why) {
  static std::string failure;
  static const ArchiveBackends* const backends = [] {
    using Entry = const ArchiveBackends* (*)(int);
    auto entry =
        reinterpret_cast<Entry>(LoadModuleEntry(kArchiveModule, kArchiveModuleEntry, failure));
    const ArchiveBackends* b = entry != nullptr ? entry(kArchiveBackendsAbi) : nullptr;
    if (entry != nullptr && b == nullptr) {
      failure = std::string(kArchiveModule) + " is of another build";
    }
    return b;
  }();
  why = failure;
  return backends;
}

}  // namespace

void SetMxlInflater(MxlInflater inflater) {
  g_inflater.store(inflater);
}

MxlResult ReadMxlArchive(const unsigned char* data, std::size_t size) {
  if (const MxlInflater inflater = g_inflater.load()) {
    return inflater(data, size);
  }
  std::string why;
  const ArchiveBackends* backends = ArchiveModule(why);
  if (backends == nullptr) {
    MxlResult result;
    result.error = ImportError{"ZIP を展開する部品を読み込めません: " + why};
    return result;
  }
  return backends->inflate(data, size);
}

std::optional<std::string> WriteMxlArchive(std::string_view rootText, std::string_view rootPath,
                                           std::string& why) {
  const ArchiveBackends* backends = ArchiveModule(why);
  if (backends == nullptr) {
    why = "the ZIP module cannot be loaded: " + why;
    return std::nullopt;
  }
  return backends->deflate(rootText, rootPath, why);
}

}  // namespace kumoito::import
