#pragma once
// The built program run as a process, for the batch tests: a fixture that
// runs it in a temporary folder of its own, and shell helpers.

#include <gtest/gtest.h>

#include <string>

#include "tests/song/song_test_util.h"

namespace kumoito::test {

// What the shell command wrote on its standard output.
std::string Capture(const std::string& command);
// Whether the command-line tool is on the PATH.
bool Have(const char* tool);

class BatchRun : public ::testing::Test {
 protected:
  // Runs kumoito with the arguments (already quoted for the shell) in the
  // temporary folder, without DISPLAY or WAYLAND_DISPLAY, its output in
  // stdout.txt and stderr.txt; returns its exit status (-1: killed; 124:
  // still running after two minutes, as a run waiting on a FIFO would be).
  int Run(const std::string& args, const std::string& shellSetup = "");
  std::string Path(const std::string& name) { return m_dir.Path(name); }
  std::string Stderr();

  TempDir m_dir;
};

}  // namespace kumoito::test
