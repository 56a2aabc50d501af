#pragma once
// COffScreenControl: a child control that shows a finished picture and
// reports left-button presses and releases. It holds the logic only; the
// window that puts it on screen forwards its mouse events here and paints
// Screen() whenever the control says its picture changed.
//
// Thread-safety: GUI thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "render/raster_surface.h"

namespace kumoito {

// Mouse callbacks take (x, y, id); id is the control's m_id.
using MouseCallback = std::function<void(int x, int y, int id)>;

class COffScreenControl {
 public:
  COffScreenControl() = default;
  COffScreenControl(const COffScreenControl&) = delete;
  COffScreenControl& operator=(const COffScreenControl&) = delete;

  // Mouse events, in the control's own pixels.
  void OnLeftButtonDown(int x, int y);
  void OnLeftButtonUp(int x, int y);
  void OnMouseLeave();

  // The window side: where the control sits in its parent, whether it takes
  // input, and the picture last presented to it.
  const Rect& Geometry() const { return m_geometry; }
  // Moves and sizes the control and brings it above its siblings.
  void SetGeometry(const Rect& r);
  bool IsEnabled() const { return m_enabled; }
  void SetEnabled(bool enabled) { m_enabled = enabled; }
  // What the screen shows; nothing before the first presentation.
  const std::optional<RasterSurface>& Screen() const { return m_screen; }
  void Show(const RasterSurface& picture);
  // Shows a picture that its owner draws whole before every showing, with
  // no copy: the screen takes its pixels and hands back those it showed
  // before (stale content, and the size they had: the owner makes pixels of
  // its size again when they differ). The first time, it copies.
  void ShowExchanging(RasterSurface& picture);

  std::int32_t m_id = -1;
  std::int32_t m_pressed = 0;
  MouseCallback m_onPress;
  MouseCallback m_onRelease;

  // Set by the widget that displays the control.
  std::function<void()> m_onScreenChanged;
  std::function<void()> m_onGeometryChanged;

 private:
  Rect m_geometry;
  bool m_enabled = true;
  std::optional<RasterSurface> m_screen;
};

// When a surface's pixels are made: at once (white), or by the first
// EnsureSurfacePixels, for pictures that may never be drawn (the 44 cells a
// conversion does not use).
enum class SurfacePixels { kNow, kOnFirstDraw };

// An off-screen picture of one control's size, presented to that control.
// width and height are the control's layout pixels; the picture holds
// scale times as many (ScaleEdge of each), for a screen of that pixel ratio.
struct Surface {
  Surface(int w, int h, COffScreenControl* c, SurfacePixels pixels = SurfacePixels::kNow)
      : width(w),
        height(h),
        picture(pixels == SurfacePixels::kNow ? w : 0, pixels == SurfacePixels::kNow ? h : 0),
        control(c) {}
  int width;
  int height;
  RasterSurface picture;
  COffScreenControl* control;  // not owned
  double scale = 1.0;
};

// Gives the surface a white picture of its size at the scale (1: as made):
// the window's edges of its control, [ScaleEdge(left), ScaleEdge(right)).
void SetSurfaceScale(Surface& surface, double scale);
// Makes the picture's pixels (white) unless it has them at its scale, of
// the size SetSurfaceScale gives.
void EnsureSurfacePixels(Surface& surface);

// Sizes the control to rect (in its parent's pixels), gives it a surface of
// that size and the two handlers.
std::unique_ptr<Surface> AttachSurface(COffScreenControl& control, const Rect& rect,
                                       MouseCallback onPress, MouseCallback onRelease,
                                       SurfacePixels pixels = SurfacePixels::kNow);
// Copies the whole picture to the control.
void PresentSurface(const Surface& surface);
// Presents a picture drawn whole each time by exchanging it with the
// control's screen; afterwards the surface's picture must be drawn again
// before it is read.
void PresentByExchange(Surface& surface);

}  // namespace kumoito
