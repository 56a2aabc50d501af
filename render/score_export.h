#pragma once
// The image export: the whole song as one 24-bit BMP, four measures to a
// row under an optional 40-pixel title strip. Rows are drawn by the score
// view itself (so the window shows each row as it is exported), copied onto
// a page, and the view is put back where it was.
//
// Thread-safety: GUI thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/image_file.h"
#include "render/measure_numbers.h"
#include "render/offscreen_control.h"
#include "render/raster_surface.h"

namespace kumoito {

class CScoreView;

inline constexpr int kTitleStripHeight = 40;
inline constexpr Color kPageBackground = Rgb(230, 230, 230);

// A strip of texts drawn at fixed places, shown on a control of its own
// while it lives.
class TitleLayer {
 public:
  static constexpr int kCharacterWidth = 30;
  static constexpr int kMaxItems = 64;

  // scale: pixels per layout pixel of the strip's picture (a screen's
  // ratio); the export keeps 1, as its file is the 1x picture.
  void CreateTitleLayer(COffScreenControl& control, const Rect& rect, double scale = 1.0);
  // Adds CP932 text at (15, 15).
  void AddTitleText(std::string_view text);
  void RenderTitleLayer();
  void ReleaseTitleLayer();
  const Surface* GetSurface() const { return m_surface.get(); }

 private:
  struct TextItem {
    std::string text;
    int x;
    int y;
    int format;
  };
  std::unique_ptr<Surface> m_surface;
  std::vector<TextItem> m_items;
};

// Draws one text item of a title strip: black on white, in the canvas's
// current font, in a box of 30 pixels per byte by 30 from (x, y).
void DrawTitleText(Canvas& canvas, std::string_view cp932, int x, int y, int format);

// A page being composed: pictures wait in a list and are copied onto the
// page in list order at Flush.
class PageComposer {
 public:
  static constexpr int kMaxItems = 192;
  virtual ~PageComposer() = default;
  void Add(const RasterSurface& source, int x, int y, int width, int height);
  void Flush();

 protected:
  PageComposer() { m_items.reserve(kMaxItems); }
  struct BlitItem {
    const RasterSurface* source;
    int x;
    int y;
    int width;
    int height;
  };
  // Copies the item's picture, from its (0, 0), to (x, y) of the page.
  virtual void Blit(const BlitItem& item) = 0;

 private:
  std::vector<BlitItem> m_items;
};

// The page as 32-bit pixels.
class PageImage final : public PageComposer {
 public:
  PageImage(int width, int height);
  const RasterSurface& Picture() const { return m_page; }

 private:
  void Blit(const BlitItem& item) override;
  RasterSurface m_page;
};

// A PNG page kept as palette indices, a quarter of the 32-bit page. Its
// colours are taken in as pictures are copied on; when a 257th turns up the
// page gives up (Overflowed) and the export draws a 32-bit page instead.
class PalettePage final : public PageComposer {
 public:
  PalettePage(int width, int height);
  bool Overflowed() const { return m_overflowed; }
  PaletteImage& Picture();

 private:
  void Blit(const BlitItem& item) override;

  PaletteImage m_image;
  PaletteBuilder m_colours;
  bool m_overflowed = false;
};

// Writes the view's song to path in format (BMP whatever the extension,
// unless a caller asks for another). The title strip follows the settings'
// title-band switch; measure numbers add their band above every row. A song
// of no measures gives the strip alone, or, without the strip, no file and a
// GNLL report. Returns false when no complete file was written.
bool ExportScoreImage(CScoreView& view, COffScreenControl& titleControl, const std::string& path,
                      ImageFormat format = ImageFormat::kBmp, ScorePageOptions options = {});

}  // namespace kumoito
