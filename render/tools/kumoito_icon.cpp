// Writes the program's icon (the picture behind icon 128) as a PNG file, for
// desktop entries: kumoito_icon OUTPUT.png

#include <cstdio>

#include "common/file_util.h"
#include "render/button_picture.h"
#include "render/image_file.h"

int main(int argc, char** argv) {
  using namespace kumoito;
  if (argc != 2) {
    std::fprintf(stderr, "usage: kumoito_icon OUTPUT.png\n");
    return 2;
  }
  const auto png = EncodePng(ToRgbImage(LoadBitmapResource(kAppIconId)));
  if (!png || !WriteFileBytes(argv[1], png->data(), png->size())) {
    std::fprintf(stderr, "kumoito_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
