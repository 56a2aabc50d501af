// Kumoito: shamisen tablature viewer, player and editor.
//
// With two quoted paths on the command line the program converts a score to
// an image and ends, without touching any window system, so that it runs on
// servers with no display. Otherwise it opens the main window, with the file
// of a single path open in it.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/window_module.h"
#include "common/file_util.h"
#include "common/module_loader.h"
#include "common/startup_folder.h"

int main(int argc, char** argv) {
  using namespace kumoito;
  const StartRequest request = ClassifyArguments(argc, argv);
  switch (request.kind) {
    case StartKind::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case StartKind::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case StartKind::kUnknownOption:
      std::fprintf(stderr, "kumoito: unknown option %s\n\n%s", request.argument.c_str(),
                   UsageText().c_str());
      return 2;
    case StartKind::kOptionsWithoutPaths:
      std::fprintf(stderr,
                   "kumoito: %s is for a conversion: give the score and image paths after it\n\n%s",
                   request.argument.c_str(), UsageText().c_str());
      return 2;
    default:
      break;
  }

  std::error_code ec;
  CKumoitoDlg::Options options;
  const StartupFolder startup =
      FindStartupFolder(std::filesystem::current_path(ec).string(), ProgramFolder());
  options.startupFolder = startup.folder;
  options.installedStartupFolder = startup.installed;
  options.dataFolder = GetDataFolder();
  options.cacheFolder = GetCacheFolder();
  if (request.kind == StartKind::kOpenFile) {
    options.startFile = request.argument;
  } else {
    // The options before the paths are left out, so that the line is the
    // one the same conversion without them has always given.
    const int skipped = request.firstPath - 1;
    options.commandLine = RebuildCommandLine(argc - skipped, argv + skipped);
    options.overrides = request.overrides;
  }

  if (ParseCommandLine(options.commandLine).batch) {
    // The reports on standard output keep their fixed texts; the cause of a
    // failed write goes to standard error, where a script looks for it.
    SetWriteFailureNotice([](const std::string& path, std::error_code why) {
      std::fprintf(stderr, "kumoito: cannot write \"%s\": %s\n", path.c_str(),
                   why.message().c_str());
    });
    HeadlessFace face;
    CKumoitoDlg logic(face, options);
    const CKumoitoDlg::StartResult result = logic.Initialize();
    logic.Destroy();
    switch (result) {
      case CKumoitoDlg::StartResult::kBatchRefused:
        return 2;
      case CKumoitoDlg::StartResult::kBatchFailed:
        return 1;
      default:
        return 0;
    }
  }

  // Without any display Qt would abort; say what to do instead.
  const auto unset = [](const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0';
  };
  if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
    std::fputs(
        "kumoito: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset).\n"
        "To convert a score without a window: kumoito \"SCORE.mwd\" \"IMAGE.png\" 0 hon -1\n",
        stderr);
    return 1;
  }
  // The window and Qt are loaded only now: a conversion never maps them.
  std::string why;
  auto run =
      reinterpret_cast<RunWindowEntry>(LoadModuleEntry(kWindowModule, kWindowModuleEntry, why));
  if (run == nullptr) {
    std::fprintf(stderr, "kumoito: cannot open the window: %s\n", why.c_str());
    return 1;
  }
  options.language = WindowLanguage(options.dataFolder, ProcessEnvironment);
  return run(kWindowModuleAbi, argc, argv, options);
}
