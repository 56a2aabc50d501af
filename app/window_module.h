#pragma once
// The window as a loadable module (kumoito-window.so): Qt and everything
// drawn on screen live there, so that the program itself maps none of it and
// a conversion starts as fast as a process can.

#include "app/main_window.h"

namespace kumoito {

inline constexpr const char* kWindowModule = "kumoito-window.so";
inline constexpr const char* kWindowModuleEntry = "kumoito_run_window";
// Raised whenever the entry's signature or CKumoitoDlg::Options change.
inline constexpr int kWindowModuleAbi = 3;

// Runs the interactive program until its window closes; the exit status.
using RunWindowEntry = int (*)(int abi, int& argc, char** argv,
                               const CKumoitoDlg::Options& options);

}  // namespace kumoito
