#include "common/startup_folder.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "common/file_util.h"

namespace kumoito {

std::string ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) {
    return {};
  }
  path.resize(static_cast<std::size_t>(n));
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {};
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool HoldsLibraryAndHelp(const std::string& folder) {
  if (folder.empty()) {
    return false;
  }
  std::error_code ec;
  return std::filesystem::is_directory(JoinPath(folder, "Archive"), ec) &&
         std::filesystem::is_directory(JoinPath(folder, "help"), ec);
}

StartupFolder FindStartupFolder(const std::string& current, const std::string& program) {
  if (HoldsLibraryAndHelp(current)) {
    return {current, false};
  }
  if (HoldsLibraryAndHelp(program)) {
    return {program, false};
  }
  if (!program.empty()) {
    // Written without "..", so that paths shown to the user read plainly.
    std::error_code ec;
    const std::filesystem::path installed =
        std::filesystem::weakly_canonical(std::filesystem::path(program) / "../share/kumoito", ec);
    if (!ec && HoldsLibraryAndHelp(installed.string())) {
      return {installed.string(), true};
    }
  }
  return {current, false};
}

}  // namespace kumoito
