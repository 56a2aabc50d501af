#include "common/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "common/file_util.h"
#include "common/startup_folder.h"

namespace kumoito {
namespace {

std::mutex g_loadMutex;

}  // namespace

std::vector<std::string> ModuleFolders() {
  std::vector<std::string> folders;
  if (const char* dir = std::getenv("KUMOITO_MODULE_DIR"); dir != nullptr && *dir != '\0') {
    folders.emplace_back(dir);
  }
  if (const std::string program = ProgramFolder(); !program.empty()) {
    folders.push_back(JoinPath(program, "modules"));
    folders.push_back(JoinPath(program, "../lib/kumoito/modules"));
  }
  return folders;
}

void* LoadModuleEntry(std::string_view name, const char* entry, std::string& why) {
  const std::lock_guard lock(g_loadMutex);
  std::string searched;
  for (const std::string& folder : ModuleFolders()) {
    const std::string path = JoinPath(folder, name);
    if (::access(path.c_str(), F_OK) != 0) {
      searched += (searched.empty() ? "" : ", ") + folder;
      continue;
    }
    // Loaded for good: the ports and windows it makes outlive any handle.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr) {
      const char* error = ::dlerror();
      why = error != nullptr ? error : path + ": cannot be loaded";
      return nullptr;
    }
    void* symbol = ::dlsym(module, entry);
    if (symbol == nullptr) {
      why = path + " has no " + entry;
    }
    return symbol;
  }
  why = "the module " + std::string(name) + " is missing (looked in " + searched + ")";
  return nullptr;
}

}  // namespace kumoito
