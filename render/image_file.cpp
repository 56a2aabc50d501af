#include "render/image_file.h"

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "common/bytes.h"
#include "common/file_util.h"
#include "render/raster_surface.h"

namespace kumoito {
namespace {

constexpr std::size_t kBmpHeaderSize = 54;

std::size_t BmpStride(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}

struct JpegError {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

}  // namespace

std::vector<unsigned char> EncodeBitmap(const RasterSurface& surface) {
  const int width = surface.Width();
  const int height = surface.Height();
  const std::size_t stride = BmpStride(width);
  const std::size_t imageSize = stride * static_cast<std::size_t>(height);
  std::vector<unsigned char> file(kBmpHeaderSize + imageSize, 0);
  unsigned char* h = file.data();
  h[0] = 'B';
  h[1] = 'M';
  StoreLE32(h + 2, static_cast<std::uint32_t>(imageSize + kBmpHeaderSize));
  StoreLE32(h + 10, kBmpHeaderSize);
  StoreLE32(h + 14, 40);
  StoreLE32(h + 18, static_cast<std::uint32_t>(width));
  StoreLE32(h + 22, static_cast<std::uint32_t>(height));
  StoreLE16(h + 26, 1);
  StoreLE16(h + 28, 24);
  StoreLE32(h + 34, static_cast<std::uint32_t>(imageSize));
  const std::uint32_t* pixels = surface.Bits();
  for (int y = 0; y < height; ++y) {
    unsigned char* row =
        file.data() + kBmpHeaderSize + stride * static_cast<std::size_t>(height - 1 - y);
    const std::uint32_t* in = pixels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = in[x];
      row[3 * x] = static_cast<unsigned char>(c);
      row[3 * x + 1] = static_cast<unsigned char>(c >> 8);
      row[3 * x + 2] = static_cast<unsigned char>(c >> 16);
    }
  }
  return file;
}

bool WriteBitmapFile(const RasterSurface& surface, const std::string& path) {
  const std::vector<unsigned char> file = EncodeBitmap(surface);
  return WriteFileBytes(path, file.data(), file.size());
}

std::optional<RgbImage> DecodeBitmap(const std::vector<unsigned char>& file) {
  if (file.size() < kBmpHeaderSize || file[0] != 'B' || file[1] != 'M') {
    return std::nullopt;
  }
  const std::uint32_t offset = LoadLE32(&file[10]);
  const auto width = static_cast<std::int32_t>(LoadLE32(&file[18]));
  const auto height = static_cast<std::int32_t>(LoadLE32(&file[22]));
  if (LoadLE32(&file[14]) < 40 || LoadLE16(&file[28]) != 24 || LoadLE32(&file[30]) != 0 ||
      width <= 0 || height == 0 || width > 65535 || height > 65535 || height < -65535) {
    return std::nullopt;
  }
  const bool bottomUp = height > 0;
  RgbImage image;
  image.width = width;
  image.height = bottomUp ? height : -height;
  const std::size_t stride = BmpStride(width);
  if (offset > file.size() ||
      (file.size() - offset) / stride < static_cast<std::size_t>(image.height)) {
    return std::nullopt;
  }
  image.rgb.resize(static_cast<std::size_t>(width) * image.height * 3);
  for (int y = 0; y < image.height; ++y) {
    const unsigned char* row =
        file.data() + offset +
        stride * static_cast<std::size_t>(bottomUp ? image.height - 1 - y : y);
    unsigned char* out = image.rgb.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  return image;
}

RgbImage ToRgbImage(const RasterSurface& surface) {
  RgbImage image;
  image.width = surface.Width();
  image.height = surface.Height();
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  image.rgb.resize(pixels * 3);
  const std::uint32_t* in = surface.Bits();
  unsigned char* out = image.rgb.data();
  for (std::size_t i = 0; i < pixels; ++i, out += 3) {
    out[0] = static_cast<unsigned char>(in[i] >> 16);
    out[1] = static_cast<unsigned char>(in[i] >> 8);
    out[2] = static_cast<unsigned char>(in[i]);
  }
  return image;
}

namespace {

// The colours of an image in first-seen order, with each pixel's index;
// nullopt once a 257th colour turns up.
struct Indexed {
  std::vector<std::uint32_t> palette;
  std::vector<unsigned char> indices;
};

// colourAt(i) is pixel i's 0xRRGGBB.
template <typename ColourAt>
std::optional<Indexed> IndexColours(std::size_t pixels, ColourAt colourAt) {
  PaletteBuilder colours;
  Indexed out;
  out.indices.resize(pixels);
  std::uint32_t lastColour = 0xFFFFFFFFu;
  unsigned char lastIndex = 0;
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint32_t c = colourAt(i);
    if (c != lastColour) {
      const int index = colours.IndexOf(c);
      if (index < 0) {
        return std::nullopt;
      }
      lastColour = c;
      lastIndex = static_cast<unsigned char>(index);
    }
    out.indices[i] = lastIndex;
  }
  out.palette = colours.Palette();
  return out;
}

std::optional<Indexed> IndexColours(const RgbImage& image) {
  const unsigned char* p = image.rgb.data();
  return IndexColours(static_cast<std::size_t>(image.width) * image.height, [p](std::size_t i) {
    return (std::uint32_t{p[3 * i]} << 16) | (std::uint32_t{p[3 * i + 1]} << 8) | p[3 * i + 2];
  });
}

std::optional<std::vector<unsigned char>> EncodePng(const RgbImage& image, const Indexed* indexed,
                                                    const PngSettings& settings) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) {
    return std::nullopt;
  }
  png_infop info = png_create_info_struct(png);
  std::vector<unsigned char> out;
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  std::vector<png_color> colours;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return std::nullopt;
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_compression_level(png, settings.level);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, settings.filters);
  const auto width = static_cast<std::size_t>(image.width);
  if (indexed) {
    for (std::uint32_t c : indexed->palette) {
      colours.push_back(png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                                  static_cast<png_byte>(c)});
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    for (int y = 0; y < image.height; ++y) {
      // libpng only reads the rows it is given.
      rows[static_cast<std::size_t>(y)] =
          const_cast<png_bytep>(indexed->indices.data() + static_cast<std::size_t>(y) * width);
    }
  } else {
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    for (int y = 0; y < image.height; ++y) {
      rows[static_cast<std::size_t>(y)] =
          const_cast<png_bytep>(image.rgb.data() + static_cast<std::size_t>(y) * width * 3);
    }
  }
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace

std::optional<std::vector<unsigned char>> EncodePng(const RgbImage& image,
                                                    const PngSettings& settings) {
  const std::optional<Indexed> indexed =
      settings.palette ? IndexColours(image) : std::optional<Indexed>();
  return EncodePng(image, indexed ? &*indexed : nullptr, settings);
}

std::optional<std::vector<unsigned char>> EncodePng(PaletteImage& image,
                                                    const PngSettings& settings) {
  // Renumbered in one pass: an index gets its new number when first met.
  std::array<int, 256> renumbered;
  renumbered.fill(-1);
  Indexed indexed;
  for (unsigned char& index : image.indices) {
    int& to = renumbered[index];
    if (to < 0) {
      if (index >= image.palette.size()) {
        return std::nullopt;
      }
      to = static_cast<int>(indexed.palette.size());
      indexed.palette.push_back(image.palette[index]);
    }
    index = static_cast<unsigned char>(to);
  }
  image.palette = indexed.palette;
  indexed.indices = std::move(image.indices);
  RgbImage shape;
  shape.width = image.width;
  shape.height = image.height;
  auto encoded = EncodePng(shape, &indexed, settings);
  image.indices = std::move(indexed.indices);
  return encoded;
}

std::optional<std::vector<unsigned char>> EncodePng(const RasterSurface& surface,
                                                    const PngSettings& settings) {
  RgbImage shape;
  shape.width = surface.Width();
  shape.height = surface.Height();
  if (settings.palette) {
    // Straight from the surface: a page of few colours never needs its RGB copy.
    const std::uint32_t* bits = surface.Bits();
    std::optional<Indexed> indexed =
        IndexColours(static_cast<std::size_t>(shape.width) * shape.height,
                     [bits](std::size_t i) { return bits[i] & 0x00FFFFFFu; });
    if (indexed) {
      return EncodePng(shape, &*indexed, settings);
    }
  }
  return EncodePng(ToRgbImage(surface), nullptr, settings);
}

std::optional<std::vector<unsigned char>> EncodeJpeg(const RgbImage& image, int quality) {
  jpeg_compress_struct cinfo{};
  JpegError error{};
  cinfo.err = jpeg_std_error(&error.base);
  error.base.error_exit = JpegErrorExit;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return std::nullopt;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        image.rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * image.width * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<unsigned char> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

ImageFormat ImageFormatForPath(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".png") {
    return ImageFormat::kPng;
  }
  if (ext == ".jpg" || ext == ".jpeg") {
    return ImageFormat::kJpeg;
  }
  return ImageFormat::kBmp;
}

bool WriteImageFile(const RasterSurface& surface, const std::string& path, ImageFormat format) {
  if (format == ImageFormat::kBmp) {
    return WriteBitmapFile(surface, path);
  }
  const auto encoded =
      format == ImageFormat::kPng ? EncodePng(surface) : EncodeJpeg(ToRgbImage(surface), 100);
  return encoded && WriteFileBytes(path, encoded->data(), encoded->size());
}

bool WritePngFile(PaletteImage& image, const std::string& path) {
  const auto encoded = EncodePng(image);
  return encoded && WriteFileBytes(path, encoded->data(), encoded->size());
}

}  // namespace kumoito
