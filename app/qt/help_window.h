#pragma once
// The help window: our HTML pages in a browser of their own, beside the main
// window. GUI thread only.

#include <string>

class QWidget;

namespace kumoito {

// Opens (or raises) the help window on indexPath; a missing page is said in
// the window and the program goes on.
void ShowHelpWindow(const std::string& indexPath, QWidget* parent);

}  // namespace kumoito
