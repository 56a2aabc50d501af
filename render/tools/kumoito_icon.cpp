// Writes the program's icon (the picture behind icon 128) as a PNG file, for
// desktop entries: kumoito_icon OUTPUT.png

#include <cstdio>

#include "render/button_picture.h"
#include "render/image_file.h"

int main(int argc, char** argv) {
  using namespace kumoito;
  if (argc != 2) {
    std::fprintf(stderr, "usage: kumoito_icon OUTPUT.png\n");
    return 2;
  }
  const RasterSurface icon = LoadBitmapResource(kAppIconId);
  const auto bmp = EncodeBitmap(icon);
  const auto image = DecodeBitmap(bmp);
  const auto png = image ? EncodePng(*image) : std::nullopt;
  if (!png) {
    std::fprintf(stderr, "kumoito_icon: cannot encode the icon\n");
    return 1;
  }
  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(png->data(), 1, png->size(), out) != png->size() ||
      std::fclose(out) != 0) {
    std::fprintf(stderr, "kumoito_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
