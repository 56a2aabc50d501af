#pragma once
// Where the main window's file dialogs open, and the folder they remember
// between runs (a small file in the data folder). Qt-free: the window
// gathers the candidate folders and the logic here picks one.
//
// Thread-safety: free functions; the remembered folder's file belongs to the
// GUI thread.

#include <string>

namespace kumoito {

inline constexpr const char* kDialogFolderFileName = "folders.ini";

enum class FileDialogPurpose {
  kOpen,    // 読込: a score or a foreign file to open
  kSave,    // 保存
  kExport,  // 出力
};

struct DialogFolderCandidates {
  std::string songFile;       // the current song's file; empty when it has none
  std::string lastFolder;     // where the last dialog was left
  std::string libraryFolder;  // the song library, offered to 読込 only
  std::string musicFolder;    // the user's music folder
  std::string homeFolder;
  // Where the program runs from: a dialog there invites saving songs among
  // the program's own files, so it is never offered.
  std::string programFolder;
};

// The first of: the song's folder, the last folder, the library (読込), the
// music folder, home, that is an existing folder other than the program's;
// empty when none is.
std::string ChooseDialogFolder(FileDialogPurpose purpose, const DialogFolderCandidates& candidates);

// The folder kept in path; empty when there is none or it is unreadable.
std::string LoadDialogFolder(const std::string& path);
// Keeps folder in path. False when it cannot be kept (a name no line can
// hold, or the write failed); the dialogs then simply forget it.
bool SaveDialogFolder(const std::string& path, const std::string& folder);

}  // namespace kumoito
