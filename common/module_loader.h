#pragma once
// Parts of the program that need large libraries (the window and Qt, the
// synthesizer and its audio chain) live in modules of their own, loaded when
// first needed, so that a conversion maps none of them. A module is found in
// $KUMOITO_MODULE_DIR, else in "modules" beside the program, else in
// ../lib/kumoito/modules from it (the program in bin/).
//
// Thread-safety: any thread; a module is loaded once and never unloaded.

#include <string>
#include <string_view>
#include <vector>

namespace kumoito {

// The folders searched for modules, in order.
std::vector<std::string> ModuleFolders();

// Loads the module file `name` (e.g. "kumoito-sound.so") and returns its
// symbol `entry`, or null with why (a sentence naming the module and the
// folders searched, or the loader's own message).
void* LoadModuleEntry(std::string_view name, const char* entry, std::string& why);

}  // namespace kumoito
