#include "render/offscreen_control.h"

#include <memory>
#include <utility>

#include "render/scaled_canvas.h"

namespace kumoito {

void COffScreenControl::OnLeftButtonDown(int x, int y) {
  m_pressed = 1;
  // Called through a copy: the callback may replace or clear the handlers
  // (a command that closes the dialog owning this control).
  if (MouseCallback onPress = m_onPress) {
    onPress(x, y, m_id);
  }
}

void COffScreenControl::OnLeftButtonUp(int x, int y) {
  m_pressed = 0;
  if (MouseCallback onRelease = m_onRelease) {
    onRelease(x, y, m_id);
  }
}

void COffScreenControl::OnMouseLeave() {
  // Leaving while pressed counts as a release, so that a button pressed and
  // dragged away does not stay down.
  if (m_pressed != 1) {
    return;
  }
  m_pressed = 0;
  if (MouseCallback onRelease = m_onRelease) {
    onRelease(-1, -1, m_id);
  }
}

void COffScreenControl::SetGeometry(const Rect& r) {
  m_geometry = r;
  if (m_onGeometryChanged) {
    m_onGeometryChanged();
  }
}

void COffScreenControl::Show(const RasterSurface& picture) {
  if (m_screen && m_screen->Width() == picture.Width() && m_screen->Height() == picture.Height()) {
    m_screen->BitBlt(0, 0, picture.Width(), picture.Height(), picture, 0, 0);
  } else {
    m_screen.emplace(picture.Width(), picture.Height(), &picture.Glyphs());
    m_screen->BitBlt(0, 0, picture.Width(), picture.Height(), picture, 0, 0);
  }
  if (m_onScreenChanged) {
    m_onScreenChanged();
  }
}

void COffScreenControl::ShowExchanging(RasterSurface& picture) {
  if (!m_screen) {
    Show(picture);
    return;
  }
  // A screen of another size (a new zoom or pixel ratio) comes back as it
  // is: the owner makes pixels of the new size before it draws, and a copy
  // here would be thrown away.
  std::swap(*m_screen, picture);
  if (m_onScreenChanged) {
    m_onScreenChanged();
  }
}

std::unique_ptr<Surface> AttachSurface(COffScreenControl& control, const Rect& rect,
                                       MouseCallback onPress, MouseCallback onRelease,
                                       SurfacePixels pixels) {
  control.SetGeometry(rect);
  auto surface = std::make_unique<Surface>(rect.Width(), rect.Height(), &control, pixels);
  control.m_onPress = std::move(onPress);
  control.m_onRelease = std::move(onRelease);
  return surface;
}

void PresentSurface(const Surface& surface) {
  if (surface.control != nullptr && surface.width > 0 && surface.height > 0) {
    surface.control->Show(surface.picture);
  }
}

void PresentByExchange(Surface& surface) {
  if (surface.control != nullptr && surface.width > 0 && surface.height > 0) {
    surface.control->ShowExchanging(surface.picture);
  }
}

}  // namespace kumoito

namespace kumoito {

namespace {

// The picture covers the control's own run of the window's scaled pixels,
// so that controls that touch at 1x still touch, without a gap or overlap
// where the scale puts their shared edge on a half pixel.
void ScaledPictureSize(const Surface& surface, int& w, int& h) {
  const double s = surface.scale;
  const Rect at = surface.control != nullptr ? surface.control->Geometry() : Rect{};
  w = ScaleEdge(at.left + surface.width, s) - ScaleEdge(at.left, s);
  h = ScaleEdge(at.top + surface.height, s) - ScaleEdge(at.top, s);
}

}  // namespace

void SetSurfaceScale(Surface& surface, double scale) {
  surface.scale = scale > 0 ? scale : 1.0;
  int w = 0;
  int h = 0;
  ScaledPictureSize(surface, w, h);
  surface.picture = RasterSurface(w, h, &surface.picture.Glyphs());
}

void EnsureSurfacePixels(Surface& surface) {
  int w = 0;
  int h = 0;
  ScaledPictureSize(surface, w, h);
  if (surface.picture.Width() != w || surface.picture.Height() != h) {
    surface.picture.Reshape(w, h);
  }
}

}  // namespace kumoito
