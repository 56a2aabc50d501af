#pragma once
// Picture files: the 24-bit BMP the export writes, and PNG or JPEG of the
// same pixels for batch runs.
//
// Thread-safety: functions are independent; any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kumoito {

class RasterSurface;

// The BMP file image of a surface: 54-byte header, then rows bottom-up in
// blue, green, red order, each padded to a multiple of 4 bytes.
std::vector<unsigned char> EncodeBitmap(const RasterSurface& surface);

// Writes EncodeBitmap(surface) to path. False (reported) when it cannot.
bool WriteBitmapFile(const RasterSurface& surface, const std::string& path);

// Pixels of a 24-bit uncompressed BMP as top-down RGB triples.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};
std::optional<RgbImage> DecodeBitmap(const std::vector<unsigned char>& file);
RgbImage ToRgbImage(const RasterSurface& surface);

// How a PNG is written. The default is chosen by measurement on score pages
// (bench/render_bench.cpp, BM_EncodePng): mostly white with the few greys of
// anti-aliased text, so they fit a palette, which is a third of the data to
// compress and needs no filter; zlib level 3 writes a 32-measure page in a
// ninth of the time of libpng's defaults, and still smaller.
struct PngSettings {
  bool palette = true;  // indexed colour when at most 256 colours are used
  int level = 3;        // zlib level
  int filters = 0x08;   // PNG_FILTER_NONE
};
std::optional<std::vector<unsigned char>> EncodePng(const RgbImage& image,
                                                    const PngSettings& settings = {});
// The same file, indexed straight from the surface's pixels.
std::optional<std::vector<unsigned char>> EncodePng(const RasterSurface& surface,
                                                    const PngSettings& settings = {});
std::optional<std::vector<unsigned char>> EncodeJpeg(const RgbImage& image, int quality);

// A picture of at most 256 colours: palette entries as 0xRRGGBB and one
// index per pixel, rows top-down. A page of 256 measures is 3.3 MB so
// instead of the 13 MB of its 32-bit pixels.
struct PaletteImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> palette;
  std::vector<unsigned char> indices;
};
// Numbers the colours of a picture of at most 256 in the order they are
// first met, for palette images.
class PaletteBuilder {
 public:
  PaletteBuilder() { m_keys.fill(kNoColour); }
  // The index of a colour (0xRRGGBB), taken in when new; -1 once 256 are.
  // Inline: it is met at every change of colour along a page's rows.
  int IndexOf(std::uint32_t colour) {
    std::size_t slot = (colour * 2654435761u >> 22) & (kSlots - 1);
    while (m_keys[slot] != colour && m_keys[slot] != kNoColour) {
      slot = (slot + 1) & (kSlots - 1);
    }
    if (m_keys[slot] != colour) {
      if (m_palette.size() == 256) {
        return -1;
      }
      m_keys[slot] = colour;
      m_values[slot] = static_cast<unsigned char>(m_palette.size());
      m_palette.push_back(colour);
    }
    return m_values[slot];
  }
  const std::vector<std::uint32_t>& Palette() const { return m_palette; }

 private:
  static constexpr std::size_t kSlots = 1024;  // open addressing, at most a quarter full
  static constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;  // colours have 24 bits
  std::array<std::uint32_t, kSlots> m_keys;
  std::array<unsigned char, kSlots> m_values{};
  std::vector<std::uint32_t> m_palette;
};

// The PNG EncodePng(surface) writes for a surface of the same pixels, byte
// for byte: the palette is put in the order its colours first appear and
// colours no pixel uses are dropped (the image's indices are renumbered).
std::optional<std::vector<unsigned char>> EncodePng(PaletteImage& image,
                                                    const PngSettings& settings = {});

enum class ImageFormat { kBmp, kPng, kJpeg };
// By the path's extension, case-insensitively: .png, .jpg/.jpeg, else BMP.
ImageFormat ImageFormatForPath(const std::string& path);

// Writes the surface to path in format (JPEG at quality 100), in one
// replacement of the file: a process killed on the way leaves the previous
// file. False (reported) when it cannot.
bool WriteImageFile(const RasterSurface& surface, const std::string& path, ImageFormat format);
// The same for a palette picture, as PNG.
bool WritePngFile(PaletteImage& image, const std::string& path);

}  // namespace kumoito
