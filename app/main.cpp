// Kumoito: shamisen tablature viewer, player and editor.
// Until the main window exists, the program only identifies itself.

#include <cstdio>

int main() {
  std::printf("Kumoito %s\n", KUMOITO_VERSION);
  return 0;
}
