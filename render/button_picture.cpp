#include "render/button_picture.h"

#include <algorithm>

#include "common/message_box.h"
#include "render/scaled_canvas.h"

namespace kumoito {
namespace {

constexpr Color kDialogBackground = Rgb(194, 194, 200);

Color Mix(Color a, Color b, double t) {
  auto channel = [t](Color x, Color y, int shift) {
    const double v = ((x >> shift) & 0xFF) * (1.0 - t) + ((y >> shift) & 0xFF) * t;
    return static_cast<Color>(std::clamp(static_cast<int>(v + 0.5), 0, 255)) << shift;
  };
  return channel(a, b, 16) | channel(a, b, 8) | channel(a, b, 0);
}

// Whether (x, y) lies inside a rectangle of w x h with corners of radius r.
bool InsideRounded(int x, int y, int w, int h, int r) {
  const int cx = std::clamp(x, r, w - 1 - r);
  const int cy = std::clamp(y, r, h - 1 - r);
  const int dx = x - cx;
  const int dy = y - cy;
  return dx * dx + dy * dy <= r * r;
}

struct FaceColors {
  Color top;
  Color bottom;
  Color border;
  Color bevel;
};

// A rounded face of w x h pixels with a vertical gradient, a border and a
// bevel along the top edge: light on a raised face, shadow inside a pressed
// one. Radius, border and bevel are the 1x face's (5, 1, row 1) by the edge
// rule, so a face of twice the pixels is drawn, not blown up.
RasterSurface DrawFace(const FaceColors& c, int w, int h, double scale) {
  const int r = ScaleEdge(5, scale);
  const int line = ScaleEdge(1, scale);
  RasterSurface face(w, h);
  for (int y = 0; y < h; ++y) {
    const Color fill = Mix(c.top, c.bottom, h > 1 ? static_cast<double>(y) / (h - 1) : 0.0);
    for (int x = 0; x < w; ++x) {
      if (!InsideRounded(x, y, w, h, r)) {
        face.SetPixel(x, y, kDialogBackground);
      } else if (!InsideRounded(x - line, y - line, w - 2 * line, h - 2 * line, r - line)) {
        face.SetPixel(x, y, c.border);
      } else {
        face.SetPixel(x, y, fill);
      }
    }
  }
  face.FillRect(Rect{r, ScaleEdge(1, scale), w - r, ScaleEdge(2, scale)}, c.bevel);
  return face;
}

constexpr FaceColors kNormalFace{Rgb(252, 252, 246), Rgb(208, 214, 200), Rgb(104, 116, 96),
                                 Rgb(255, 255, 255)};
constexpr FaceColors kPressedFace{Rgb(186, 196, 178), Rgb(226, 232, 218), Rgb(72, 84, 64),
                                  Rgb(150, 160, 140)};

// The icon's 48 x 48 drawing, each part a box of the 1x picture by the edge
// rule.
RasterSurface DrawIcon(double scale) {
  auto at = [scale](int left, int top, int right, int bottom) {
    return ScaleRect(Rect{left, top, right, bottom}, scale);
  };
  const int n = ScaleEdge(48, scale);
  RasterSurface icon(n, n);
  const Color ground = Rgb(38, 52, 92);
  const Color wood = Rgb(120, 72, 40);
  const Color skin = Rgb(246, 238, 214);
  const Color string = Rgb(60, 40, 24);
  const int corner = ScaleEdge(8, scale);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      icon.SetPixel(x, y,
                    InsideRounded(x, y, n, n, corner)
                        ? Mix(ground, Rgb(70, 90, 150), static_cast<double>(y) / (n - 1))
                        : kWhite);
    }
  }
  // Neck, pegs and the body of the instrument (a one-pixel rim of wood),
  // with its three strings and the bridge.
  icon.FillRect(at(21, 4, 27, 30), wood);
  icon.FillRect(at(16, 6, 21, 8), skin);
  icon.FillRect(at(27, 9, 32, 11), skin);
  icon.FillRect(at(16, 12, 21, 14), skin);
  icon.FillRect(at(12, 28, 36, 44), wood);
  icon.FillRect(at(13, 29, 35, 43), skin);
  for (int x : {22, 24, 26}) {
    icon.FillRect(at(x, 5, x + 1, 41), string);
  }
  icon.FillRect(at(20, 39, 29, 41), wood);
  return icon;
}

RasterSurface DrawFaceOfSize(int id, int width, int height, double scale) {
  switch (id) {
    case kNormalFaceId:
      return DrawFace(kNormalFace, width, height, scale);
    case kPressedFaceId:
      return DrawFace(kPressedFace, width, height, scale);
    default:
      return RasterSurface(0, 0);
  }
}

}  // namespace

RasterSurface LoadBitmapResource(int id, double scale) {
  const double s = scale > 0 ? scale : 1.0;
  if (id == kAppIconId) {
    return DrawIcon(s);
  }
  return DrawFaceOfSize(id, ScaleEdge(kButtonWidth, s), ScaleEdge(kButtonHeight, s), s);
}

void CButtonPicture::CreateButtonGroup(COffScreenControl& control, const Rect& rect,
                                       std::string_view caption, int normalFaceId,
                                       int pressedFaceId, int initialId, CommandCallback click,
                                       CommandCallback release) {
  for (Button& b : m_buttons) {
    b = Button{};
  }
  m_count = 0;
  m_click = std::move(click);
  m_release = std::move(release);
  m_enabledColor = kCaptionEnabledColor;
  m_disabledColor = kCaptionDisabledColor;
  AddButton(control, rect, caption, normalFaceId, pressedFaceId, initialId);
}

void CButtonPicture::AddButton(COffScreenControl& control, const Rect& rect,
                               std::string_view caption, int normalFaceId, int pressedFaceId,
                               int initialId) {
  if (m_count >= kCapacity) {
    return;
  }
  Button& b = m_buttons[m_count];
  b.surface = AttachSurface(
      control, rect, [this](int x, int y, int id) { OnPress(x, y, id); },
      [this](int x, int y, int id) { OnRelease(x, y, id); });
  b.normalFaceId = normalFaceId;
  b.pressedFaceId = pressedFaceId;
  if (m_scale != 1.0) {
    SetSurfaceScale(*b.surface, m_scale);
  }
  LoadFaces(b);
  b.caption = caption;
  b.fontHeight = 0;
  b.pressed = 0;
  control.m_id = initialId;
  RenderButtonFace(m_count);
  ++m_count;
}

void CButtonPicture::RenderButtonFace(int index) {
  if (index < 0 || index >= kCapacity || !m_buttons[index].surface) {
    return;
  }
  Button& b = m_buttons[index];
  RasterSurface& s = b.surface->picture;
  s.FillRect(Rect{0, 0, s.Width(), s.Height()}, kWhite);
  const RasterSurface& face = b.pressed == 1 ? b.pressedFace : b.normalFace;
  s.BitBlt(0, 0, s.Width(), s.Height(), face, 0, 0);
  const bool enabled = b.surface->control == nullptr || b.surface->control->IsEnabled();
  auto caption = [&](Canvas& c) {
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    c.SetTextColor(enabled ? m_enabledColor : m_disabledColor);
    const Font previous = b.fontHeight != 0 ? c.SelectFont(Font{b.fontHeight}) : Font{};
    c.DrawTextInBox(b.caption, Rect{2, 2, 210, 28});
    if (b.fontHeight != 0) {
      c.SelectFont(previous);
    }
  };
  if (b.surface->scale == 1.0) {
    caption(s);
  } else {
    ScaledCanvas canvas(s, b.surface->scale);
    caption(canvas);
  }
}

void CButtonPicture::LoadFaces(Button& b) const {
  const Surface& surface = *b.surface;
  if (surface.scale == 1.0) {
    b.normalFace = LoadBitmapResource(b.normalFaceId);
    b.pressedFace = LoadBitmapResource(b.pressedFaceId);
    return;
  }
  // A face-sized button's face fills its picture, which the edge rule may
  // make a pixel taller or wider than the face alone would be.
  const bool faceSized = surface.width == kButtonWidth && surface.height == kButtonHeight;
  const int w = faceSized ? surface.picture.Width() : ScaleEdge(kButtonWidth, surface.scale);
  const int h = faceSized ? surface.picture.Height() : ScaleEdge(kButtonHeight, surface.scale);
  b.normalFace = DrawFaceOfSize(b.normalFaceId, w, h, surface.scale);
  b.pressedFace = DrawFaceOfSize(b.pressedFaceId, w, h, surface.scale);
}

void CButtonPicture::SetScale(double scale) {
  const double s = scale > 0 ? scale : 1.0;
  if (s == m_scale) {
    return;
  }
  m_scale = s;
  for (int i = 0; i < m_count && i < kCapacity; ++i) {
    Button& b = m_buttons[i];
    if (!b.surface) {
      continue;
    }
    SetSurfaceScale(*b.surface, s);
    LoadFaces(b);
    RenderButtonFace(i);
    PresentSurface(*b.surface);
  }
}

void CButtonPicture::PresentAllButtons() {
  for (int i = 0; i < m_count && i < kCapacity; ++i) {
    if (m_buttons[i].surface) {
      PresentSurface(*m_buttons[i].surface);
    }
  }
}

void CButtonPicture::RemoveButton(int index) {
  if (index < 0 || index >= kCapacity) {
    return;
  }
  if (m_count != index + 1) {
    ShowMessageBox("CButtonPicture::ErrorMsg");
  }
  Button& b = m_buttons[index];
  if (b.surface && b.surface->control != nullptr) {
    b.surface->control->m_onPress = nullptr;
    b.surface->control->m_onRelease = nullptr;
  }
  b = Button{};
  --m_count;
}

void CButtonPicture::ReleaseAllButtons() {
  for (int i = 0; i < m_count && i < kCapacity; ++i) {
    Button& b = m_buttons[i];
    if (b.surface && b.surface->control != nullptr) {
      b.surface->control->m_onPress = nullptr;
      b.surface->control->m_onRelease = nullptr;
    }
    const int keepPressed = b.pressed;
    b = Button{};
    b.pressed = keepPressed;
  }
}

void CButtonPicture::SetPlayCaption(std::string_view caption) {
  const int index = IndexOfId(kPlayCommandId);
  if (index < 0) {
    return;
  }
  m_buttons[index].caption = caption;
  RenderButtonFace(index);
}

bool CButtonPicture::IsPressed(int index) const {
  return index >= 0 && index < kCapacity && m_buttons[index].pressed == 1;
}

const std::string& CButtonPicture::Caption(int index) const {
  return m_buttons[index].caption;
}

const Surface* CButtonPicture::ButtonSurface(int index) const {
  return index >= 0 && index < kCapacity ? m_buttons[index].surface.get() : nullptr;
}

int CButtonPicture::IndexOfId(int id) const {
  for (int i = 0; i < m_count && i < kCapacity; ++i) {
    const Surface* s = m_buttons[i].surface.get();
    if (s != nullptr && s->control != nullptr && s->control->m_id == id) {
      return i;
    }
  }
  return -1;
}

void CButtonPicture::OnPress(int, int, int id) {
  if (id == -1) {
    return;
  }
  const int index = IndexOfId(id);
  if (index >= 0) {
    m_buttons[index].pressed = 1;
    RenderButtonFace(index);
    PresentSurface(*m_buttons[index].surface);
  }
  if (m_click) {
    m_click(id);
  }
}

void CButtonPicture::OnRelease(int, int, int id) {
  if (id == -1) {
    return;
  }
  const int index = IndexOfId(id);
  if (index >= 0) {
    m_buttons[index].pressed = 0;
    RenderButtonFace(index);
    PresentSurface(*m_buttons[index].surface);
  }
  if (m_release) {
    m_release(id);
  }
}

}  // namespace kumoito
