#pragma once
// The main window as window tests open it: no sound out, its start-up and
// data folders in temporary folders of the test's own, shown and started.
//
// Thread-safety: the GUI thread of the test's QApplication.

#include <cstdlib>
#include <memory>

#include "app/qt/main_window_widget.h"
#include "tests/song/song_test_util.h"

namespace kumoito::test {

inline std::unique_ptr<KumoitoWindow> StartTestWindow(const TempDir& startup, const TempDir& data) {
  ::setenv("KUMOITO_MIDI_OUT", "none", 1);
  CKumoitoDlg::Options options;
  options.startupFolder = startup.path().string();
  options.dataFolder = data.Path("Kumoito");
  auto window = std::make_unique<KumoitoWindow>(options);
  window->show();
  window->Start();
  return window;
}

}  // namespace kumoito::test
