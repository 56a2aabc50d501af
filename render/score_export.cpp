#include "render/score_export.h"

#include <algorithm>

#include "common/report.h"
#include "common/sjis.h"
#include "render/image_file.h"
#include "render/scaled_canvas.h"
#include "render/score_view.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

constexpr int kMeasuresPerRow = 4;
constexpr int kTitleTextOffset = 15;

}  // namespace

void TitleLayer::CreateTitleLayer(COffScreenControl& control, const Rect& rect, double scale) {
  // The strip takes no input: presses and releases change nothing.
  m_surface = AttachSurface(
      control, rect, [](int, int, int) {}, [](int, int, int) {});
  if (scale != 1.0) {
    SetSurfaceScale(*m_surface, scale);
  }
  m_items.clear();
  RenderTitleLayer();
}

void TitleLayer::AddTitleText(std::string_view text) {
  if (static_cast<int>(m_items.size()) < kMaxItems) {
    m_items.push_back(TextItem{std::string(text), kTitleTextOffset, kTitleTextOffset, 0});
  }
}

void TitleLayer::RenderTitleLayer() {
  if (!m_surface) {
    return;
  }
  auto draw = [this](Canvas& c) {
    c.FillRect(Rect{0, 0, m_surface->width, kTitleStripHeight}, kWhite);
    c.SetTextColor(kBlack);
    c.SetBackgroundColor(kWhite);
    c.SetBackgroundMode(BackgroundMode::kOpaque);
    for (const TextItem& item : m_items) {
      DrawTitleText(c, item.text, item.x, item.y, item.format);
    }
  };
  if (m_surface->scale == 1.0) {
    draw(m_surface->picture);
  } else {
    ScaledCanvas canvas(m_surface->picture, m_surface->scale);
    draw(canvas);
  }
}

void DrawTitleText(Canvas& canvas, std::string_view cp932, int x, int y, int format) {
  const int width = TitleLayer::kCharacterWidth * static_cast<int>(cp932.size());
  // Format 0 is a left- and top-aligned line: the title starts at (15, 15).
  const VerticalAlign align = format == 0 ? VerticalAlign::kTop : VerticalAlign::kCenter;
  canvas.DrawTextInBox(cp932, Rect{x, y, x + width, y + TitleLayer::kCharacterWidth}, align);
}

void TitleLayer::ReleaseTitleLayer() {
  if (m_surface && m_surface->control != nullptr) {
    m_surface->control->m_onPress = nullptr;
    m_surface->control->m_onRelease = nullptr;
  }
  m_surface.reset();
  m_items.clear();
}

void PageComposer::Add(const RasterSurface& source, int x, int y, int width, int height) {
  if (static_cast<int>(m_items.size()) < kMaxItems) {
    m_items.push_back(BlitItem{&source, x, y, width, height});
  }
}

void PageComposer::Flush() {
  for (const BlitItem& item : m_items) {
    Blit(item);
  }
  m_items.clear();
}

PageImage::PageImage(int width, int height)
    : m_page(RasterSurface::Filled(width, height, kPageBackground)) {}

void PageImage::Blit(const BlitItem& item) {
  m_page.BitBlt(item.x, item.y, item.width, item.height, *item.source, 0, 0);
}

PalettePage::PalettePage(int width, int height) {
  m_image.width = std::max(width, 0);
  m_image.height = std::max(height, 0);
  // Index 0 is the page's own ground, where no picture lands.
  m_image.indices.assign(
      static_cast<std::size_t>(m_image.width) * static_cast<std::size_t>(m_image.height), 0);
  m_colours.IndexOf(kPageBackground);
}

PaletteImage& PalettePage::Picture() {
  m_image.palette = m_colours.Palette();
  return m_image;
}

void PalettePage::Blit(const BlitItem& item) {
  // Clipped as RasterSurface::BitBlt clips, the source at (0, 0).
  const RasterSurface& src = *item.source;
  const int sx = std::max(0, -item.x);
  const int sy = std::max(0, -item.y);
  const int w = std::min({item.width, src.Width(), m_image.width - item.x}) - sx;
  const int h = std::min({item.height, src.Height(), m_image.height - item.y}) - sy;
  if (m_overflowed || w <= 0 || h <= 0) {
    return;
  }
  std::uint32_t lastColour = 0xFFFFFFFFu;
  unsigned char lastIndex = 0;
  for (int row = 0; row < h; ++row) {
    const std::uint32_t* from = src.Bits() + static_cast<std::size_t>(sy + row) * src.Width() + sx;
    unsigned char* to = m_image.indices.data() +
                        static_cast<std::size_t>(item.y + sy + row) * m_image.width + item.x + sx;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t c = from[x] & 0x00FFFFFFu;
      if (c != lastColour) {
        const int index = m_colours.IndexOf(c);
        if (index < 0) {
          m_overflowed = true;
          return;
        }
        lastColour = c;
        lastIndex = static_cast<unsigned char>(index);
      }
      to[x] = lastIndex;
    }
  }
}

namespace {

// Copies the song's rows onto the page, four measures to a row, each row
// drawn by the view's first four cells, with its band of measure numbers
// above it (band pixels tall; none for 0), and the title strip over the top.
void ComposePage(CScoreView& view, const TitleLayer& title, int measures, int strip, int band,
                 PageComposer& page) {
  const Surface& first = *view.CellSurface(0);
  // One band picture serves every row: a row's items are copied before the
  // next row draws it again.
  RasterSurface numbers(band > 0 ? kMeasuresPerRow * first.width : 0, band);
  for (int g = 0; g < measures; ++g) {
    const int c = g % kMeasuresPerRow;
    const int top = (g / kMeasuresPerRow) * (first.height + band) + strip;
    if (c == 0) {
      page.Flush();
      view.SetFirstShownMeasure(g);
      view.RefreshScoreView(kMeasuresPerRow);
      if (band > 0) {
        numbers.FillRect(Rect{0, 0, numbers.Width(), band}, kPageBackground);
        DrawMeasureNumbers(numbers, 0, 0, g, std::min(kMeasuresPerRow, measures - g), first.width);
        page.Add(numbers, 0, top, numbers.Width(), band);
      }
    }
    // Asked for after the refresh: the cell is drawn when its picture is.
    const Surface& cell = *view.CellSurface(c);
    page.Add(cell.picture, c * cell.width, top + band, cell.width, cell.height);
  }
  if (strip > 0) {
    page.Add(title.GetSurface()->picture, 0, 0, title.GetSurface()->width, kTitleStripHeight);
  }
  page.Flush();
}

}  // namespace

bool ExportScoreImage(CScoreView& view, COffScreenControl& titleControl, const std::string& path,
                      ImageFormat format, ScorePageOptions options) {
  const CSongData* song = view.Song();
  if (song == nullptr || view.CellCount() < kMeasuresPerRow) {
    ReportImageError();
    return false;
  }
  const Surface& cell0 = *view.CellSurface(0);
  const int w0 = cell0.width;
  const int h0 = cell0.height;
  const bool titleBand = view.Settings() != nullptr && view.Settings()->titleBand == 1;
  const int strip = titleBand ? kTitleStripHeight : 0;
  const int measures = std::max(song->m_measureCount, 0);
  const int rows = (measures + kMeasuresPerRow - 1) / kMeasuresPerRow;
  const int band = options.BandHeight();
  const int width = kMeasuresPerRow * w0;
  const int height = rows * (h0 + band) + strip;

  TitleLayer title;
  title.CreateTitleLayer(titleControl, Rect{0, 0, width, kTitleStripHeight});
  title.AddTitleText(FieldText(song->m_info.title));
  title.RenderTitleLayer();
  const int remembered = view.FirstShownMeasure();

  // The rows drawn for the page never reach a screen: an export runs between
  // two paints of the window, and the view is redrawn as it was at the end.
  const bool shown = view.ShownOnScreen();
  view.SetShownOnScreen(false);
  // The file is the 1x picture whatever the screen's pixel ratio.
  const double screenScale = view.Scale();
  view.SetScale(1.0);
  const bool syllablesShown = view.SyllablesShown();
  view.SetSyllablesShown(options.syllables);
  // The keyboard's cursor and selection belong to the window, not the page.
  const bool keysShown = view.KeyCursorShown();
  view.SetKeyCursorShown(false);
  bool written = false;
  bool drawn = false;
  if (height <= 0) {
    // Nothing to draw and no strip: a picture of no rows is no image file.
    ReportImageError();
  } else {
    // A PNG page is kept as palette indices, unless it has too many colours.
    if (format == ImageFormat::kPng) {
      PalettePage page(width, height);
      ComposePage(view, title, measures, strip, band, page);
      if (!page.Overflowed()) {
        written = WritePngFile(page.Picture(), path);
        drawn = true;
      }
    }
    if (!drawn) {
      PageImage page(width, height);
      ComposePage(view, title, measures, strip, band, page);
      written = WriteImageFile(page.Picture(), path, format);
    }
  }

  view.SetScale(screenScale);
  view.SetSyllablesShown(syllablesShown);
  view.SetKeyCursorShown(keysShown);
  view.SetShownOnScreen(shown);
  view.SetFirstShownMeasure(remembered);
  view.RefreshScoreView();
  title.ReleaseTitleLayer();
  return written;
}

}  // namespace kumoito
