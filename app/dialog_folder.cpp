#include "app/dialog_folder.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "common/file_util.h"

namespace kumoito {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxFileBytes = 8 * 1024;
constexpr std::string_view kKey = "last=";

bool IsUsableFolder(const std::string& folder, const std::string& programFolder) {
  if (folder.empty()) {
    return false;
  }
  std::error_code why;
  if (!fs::is_directory(folder, why)) {
    return false;
  }
  return programFolder.empty() || !fs::equivalent(folder, programFolder, why);
}

std::string FolderOf(const std::string& file) {
  if (file.empty()) {
    return {};
  }
  return fs::path(file).parent_path().string();
}

}  // namespace

std::string ChooseDialogFolder(FileDialogPurpose purpose,
                               const DialogFolderCandidates& candidates) {
  const std::string order[] = {
      FolderOf(candidates.songFile),
      candidates.lastFolder,
      purpose == FileDialogPurpose::kOpen ? candidates.libraryFolder : std::string(),
      candidates.musicFolder,
      candidates.homeFolder,
  };
  for (const std::string& folder : order) {
    if (IsUsableFolder(folder, candidates.programFolder)) {
      return folder;
    }
  }
  return {};
}

std::string LoadDialogFolder(const std::string& path) {
  std::error_code why;
  const std::optional<std::string> text = ReadWholeFile(path, kMaxFileBytes, why);
  if (!text || text->compare(0, kKey.size(), kKey) != 0) {
    return {};
  }
  const std::size_t end = text->find('\n');
  if (end == std::string::npos) {
    return {};  // cut short: a half-written name could be another folder
  }
  return text->substr(kKey.size(), end - kKey.size());
}

bool SaveDialogFolder(const std::string& path, const std::string& folder) {
  if (folder.empty() || folder.find('\n') != std::string::npos ||
      folder.find('\0') != std::string::npos || folder.size() + kKey.size() >= kMaxFileBytes) {
    return false;
  }
  if (LoadDialogFolder(path) == folder) {
    return true;
  }
  return WriteFileQuietly(path, std::string(kKey) + folder + "\n");
}

}  // namespace kumoito
