#pragma once
// Where the program finds its library (Archive/) and help pages (help/).
// A folder holding both where the program starts wins, as it always has;
// else the folder of the program itself (a build folder is complete); else
// what an installation put in ../share/kumoito beside bin/.
//
// Thread-safety: pure functions over the file system; any thread.

#include <string>

namespace kumoito {

struct StartupFolder {
  std::string folder;
  // The installed folder belongs to the system's packages: the program
  // writes nothing there, whoever runs it.
  bool installed = false;
};

// The folder holding the running program ("" when the system does not say).
std::string ProgramFolder();

// True when folder holds the folders Archive and help.
bool HoldsLibraryAndHelp(const std::string& folder);

// current: the current directory; program: ProgramFolder(). When no folder
// holds both, current stays the start-up folder (its library is then empty
// and the help says that its page is missing).
StartupFolder FindStartupFolder(const std::string& current, const std::string& program);

}  // namespace kumoito
