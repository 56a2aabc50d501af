#include "tests/app/batch_test_util.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace kumoito::test {

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
      out += buffer;
    }
    ::pclose(pipe);
  }
  return out;
}

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int BatchRun::Run(const std::string& args, const std::string& shellSetup) {
  const std::string command =
      shellSetup + "cd '" + m_dir.path().string() +
      "' && timeout -k 5 120 env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" +
      m_dir.Path("config") + "' '" KUMOITO_BINARY "' " + args + " >stdout.txt 2>stderr.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string BatchRun::Stderr() {
  return Capture("cat '" + Path("stderr.txt") + "'");
}

}  // namespace kumoito::test
