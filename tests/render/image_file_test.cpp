#include "render/image_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/glyph_source.h"
#include "render/raster_surface.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::ReadFile;
using test::TempDir;

RasterSurface Sample(int w, int h) {
  static FixedGlyphSource glyphs;
  RasterSurface s(w, h, &glyphs);
  s.FillRect(Rect{0, 0, w, h}, Rgb(230, 230, 230));
  s.SetPixel(0, 0, Rgb(255, 0, 0));          // top left
  s.SetPixel(w - 1, h - 1, Rgb(0, 0, 255));  // bottom right
  s.SetPixel(1, h - 1, Rgb(1, 2, 3));
  return s;
}

// Runs a command and returns its standard output.
std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return out;
  }
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    out += buffer;
  }
  ::pclose(pipe);
  return out;
}

bool HaveImageMagick() {
  return std::system("command -v identify >/dev/null 2>&1") == 0;
}

TEST(ImageFile, BitmapHeaderAndBottomUpRows) {
  const auto bmp = EncodeBitmap(Sample(5, 3));
  // 5 pixels x 3 bytes = 15, padded to 16 per row.
  ASSERT_EQ(bmp.size(), 54u + 16 * 3);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(bmp[2], 102);  // file size 102
  EXPECT_EQ(bmp[10], 54);
  EXPECT_EQ(bmp[14], 40);
  EXPECT_EQ(bmp[18], 5);
  EXPECT_EQ(bmp[22], 3);
  EXPECT_EQ(bmp[26], 1);
  EXPECT_EQ(bmp[28], 24);
  EXPECT_EQ(bmp[34], 48);  // image size
  // The first stored row is the bottom one, blue-green-red.
  EXPECT_EQ(bmp[54 + 3], 3);
  EXPECT_EQ(bmp[54 + 4], 2);
  EXPECT_EQ(bmp[54 + 5], 1);
  EXPECT_EQ(bmp[54 + 12], 255);      // bottom right is blue
  EXPECT_EQ(bmp[54 + 15], 0);        // padding
  EXPECT_EQ(bmp[54 + 32 + 2], 255);  // top left is red, in the last row
}

TEST(ImageFile, FileSizeForA512WidePage) {
  TempDir dir;
  ASSERT_TRUE(WriteBitmapFile(Sample(512, 240), dir.Path("p.bmp")));
  EXPECT_EQ(ReadFile(dir.Path("p.bmp")).size(), 368694u);  // 54 + 1536 x 240
}

TEST(ImageFile, DecodeRejectsWhatItCannotRead) {
  auto bmp = EncodeBitmap(Sample(4, 4));
  EXPECT_TRUE(DecodeBitmap(bmp).has_value());
  auto shortFile = bmp;
  shortFile.resize(60);
  EXPECT_FALSE(DecodeBitmap(shortFile).has_value());
  auto eightBit = bmp;
  eightBit[28] = 8;
  EXPECT_FALSE(DecodeBitmap(eightBit).has_value());
  EXPECT_FALSE(DecodeBitmap({}).has_value());
}

TEST(ImageFile, FormatFollowsTheExtension) {
  EXPECT_EQ(ImageFormatForPath("a/b.png"), ImageFormat::kPng);
  EXPECT_EQ(ImageFormatForPath("b.PNG"), ImageFormat::kPng);
  EXPECT_EQ(ImageFormatForPath("b.jpg"), ImageFormat::kJpeg);
  EXPECT_EQ(ImageFormatForPath("b.JPEG"), ImageFormat::kJpeg);
  EXPECT_EQ(ImageFormatForPath("b.bmp"), ImageFormat::kBmp);
  EXPECT_EQ(ImageFormatForPath("b.gif"), ImageFormat::kBmp);
  EXPECT_EQ(ImageFormatForPath("png"), ImageFormat::kBmp);
}

TEST(ImageFile, WrittenFilesReadBackWithAnIndependentReader) {
  if (!HaveImageMagick()) {
    GTEST_SKIP() << "ImageMagick is not installed";
  }
  TempDir dir;
  const RasterSurface page = Sample(512, 200);
  for (const char* name : {"page.png", "page.jpg", "page.bmp", "page.other"}) {
    const std::string path = dir.Path(name);
    ASSERT_TRUE(WriteImageFile(page, path, ImageFormatForPath(path))) << name;
  }
  EXPECT_EQ(RunCommand("identify -format '%m %w %h' " + dir.Path("page.png")), "PNG 512 200");
  EXPECT_EQ(RunCommand("identify -format '%m %w %h' " + dir.Path("page.jpg")), "JPEG 512 200");
  EXPECT_EQ(RunCommand("identify -format '%m %w %h' " + dir.Path("page.bmp")), "BMP3 512 200");
  EXPECT_EQ(RunCommand("identify -format '%m' " + dir.Path("page.other")), "BMP3");
  // Lossless PNG keeps every pixel; quality 100 JPEG keeps the grey close.
  EXPECT_EQ(RunCommand("convert " + dir.Path("page.png") +
                       " -format '%[pixel:p{0,0}] %[pixel:p{100,100}]' info:"),
            "srgb(255,0,0) srgb(230,230,230)");
  const std::string jpegGrey = RunCommand("convert " + dir.Path("page.jpg") +
                                          " -format '%[fx:int(255*p{100,100}.r)]' info:");
  EXPECT_NEAR(std::atoi(jpegGrey.c_str()), 230, 2);
}

// Whatever the encoding chosen (palette or not), every pixel is the BMP's.
TEST(ImageFile, PngPagesKeepEveryPixelWithOrWithoutAPalette) {
  if (!HaveImageMagick()) {
    GTEST_SKIP() << "ImageMagick is not installed";
  }
  TempDir dir;
  RasterSurface few = Sample(300, 60);
  RasterSurface many = Sample(300, 60);
  for (int i = 0; i < 600; ++i) {  // more colours than a palette holds
    many.SetPixel(i % 300, 10 + i / 300, Rgb(i & 0xFF, (i >> 8) * 40, 7));
  }
  for (const auto& [name, page] : {std::pair{"few", &few}, std::pair{"many", &many}}) {
    const std::string bmp = dir.Path(std::string(name) + ".bmp");
    const std::string png = dir.Path(std::string(name) + ".png");
    ASSERT_TRUE(WriteBitmapFile(*page, bmp));
    ASSERT_TRUE(WriteImageFile(*page, png, ImageFormat::kPng));
    EXPECT_EQ(RunCommand("compare -metric AE " + bmp + " " + png + " null: 2>&1"), "0") << name;
    // Indexed straight from the surface or through its RGB copy: one file.
    EXPECT_EQ(EncodePng(*page), EncodePng(ToRgbImage(*page))) << name;
  }
  EXPECT_EQ(RunCommand("identify -format '%[png:IHDR.color-type-orig]' " + dir.Path("few.png")),
            "3");  // indexed
  EXPECT_EQ(RunCommand("identify -format '%[png:IHDR.color-type-orig]' " + dir.Path("many.png")),
            "2");  // RGB
}

TEST(ImageFile, APaletteImageIsWrittenInTheOrderItsColoursAppear) {
  // Entry 0 is never used and entry 2 appears first: the file is the one
  // the same pixels give from RGB.
  PaletteImage palette;
  palette.width = 3;
  palette.height = 2;
  palette.palette = {0x112233, 0xFFFFFF, 0x00FF00};
  palette.indices = {2, 1, 2, 1, 1, 2};
  RgbImage rgb;
  rgb.width = 3;
  rgb.height = 2;
  for (unsigned char index : palette.indices) {
    const std::uint32_t c = palette.palette[index];
    rgb.rgb.insert(rgb.rgb.end(),
                   {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                    static_cast<unsigned char>(c)});
  }
  const auto written = EncodePng(palette);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(*written, EncodePng(rgb).value());
  EXPECT_EQ(palette.palette, (std::vector<std::uint32_t>{0x00FF00, 0xFFFFFF}));
  palette.indices[0] = 7;  // no such entry
  EXPECT_FALSE(EncodePng(palette).has_value());
}

TEST(ImageFile, AFailedWriteKeepsThePreviousImage) {
  TempDir dir;
  const std::string path = dir.Path("page.png");
  test::WriteFile(path, {'o', 'l', 'd'});
  // A folder of that name beside it cannot be written into.
  EXPECT_FALSE(WriteImageFile(Sample(8, 8), dir.Path("page.png/x.png"), ImageFormat::kPng));
  EXPECT_EQ(ReadFile(path), (test::Bytes{'o', 'l', 'd'}));
  ASSERT_TRUE(WriteImageFile(Sample(8, 8), path, ImageFormat::kPng));
  const auto png = ReadFile(path);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
}

}  // namespace
}  // namespace kumoito
