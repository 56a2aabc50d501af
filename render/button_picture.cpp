#include "render/button_picture.h"

#include <algorithm>

#include "common/message_box.h"

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

// A rounded face with a vertical gradient, a border and a one-pixel bevel.
RasterSurface DrawFace(Color top, Color bottom, Color border, Color bevel, bool bevelAtTop) {
  constexpr int w = kButtonWidth;
  constexpr int h = kButtonHeight;
  constexpr int r = 5;
  RasterSurface face(w, h);
  for (int y = 0; y < h; ++y) {
    const Color fill = Mix(top, bottom, static_cast<double>(y) / (h - 1));
    for (int x = 0; x < w; ++x) {
      if (!InsideRounded(x, y, w, h, r)) {
        face.SetPixel(x, y, kDialogBackground);
      } else if (!InsideRounded(x - 1, y - 1, w - 2, h - 2, r - 1)) {
        face.SetPixel(x, y, border);
      } else {
        face.SetPixel(x, y, fill);
      }
    }
  }
  // The bevel: light along the top edge of a raised face, shadow inside a
  // pressed one.
  const int bevelY = bevelAtTop ? 1 : h - 2;
  for (int x = r; x < w - r; ++x) {
    face.SetPixel(x, bevelY, bevel);
  }
  return face;
}

RasterSurface DrawIcon() {
  constexpr int n = 48;
  RasterSurface icon(n, n);
  const Color ground = Rgb(38, 52, 92);
  const Color wood = Rgb(120, 72, 40);
  const Color skin = Rgb(246, 238, 214);
  const Color string = Rgb(60, 40, 24);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      icon.SetPixel(
          x, y, InsideRounded(x, y, n, n, 8) ? Mix(ground, Rgb(70, 90, 150), y / 47.0) : kWhite);
    }
  }
  // Neck, pegs and the body of the instrument, with its three strings.
  icon.FillRect(Rect{21, 4, 27, 30}, wood);
  icon.FillRect(Rect{16, 6, 21, 8}, skin);
  icon.FillRect(Rect{27, 9, 32, 11}, skin);
  icon.FillRect(Rect{16, 12, 21, 14}, skin);
  for (int y = 28; y < 44; ++y) {
    for (int x = 12; x < 36; ++x) {
      const bool rim = x == 12 || x == 35 || y == 28 || y == 43;
      icon.SetPixel(x, y, rim ? wood : skin);
    }
  }
  icon.SetPen(string);
  for (int x : {22, 24, 26}) {
    icon.MoveTo(x, 5);
    icon.LineTo(x, 41);
  }
  icon.FillRect(Rect{20, 39, 29, 41}, wood);  // the bridge
  return icon;
}

}  // namespace

RasterSurface LoadBitmapResource(int id) {
  switch (id) {
    case kNormalFaceId:
      return DrawFace(Rgb(252, 252, 246), Rgb(208, 214, 200), Rgb(104, 116, 96), Rgb(255, 255, 255),
                      true);
    case kPressedFaceId:
      return DrawFace(Rgb(186, 196, 178), Rgb(226, 232, 218), Rgb(72, 84, 64), Rgb(150, 160, 140),
                      true);
    case kAppIconId:
      return DrawIcon();
    default:
      return RasterSurface(0, 0);
  }
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
  b.normalFace = LoadBitmapResource(normalFaceId);
  b.pressedFace = LoadBitmapResource(pressedFaceId);
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
  s.SetBackgroundMode(BackgroundMode::kTransparent);
  const bool enabled = b.surface->control == nullptr || b.surface->control->IsEnabled();
  s.SetTextColor(enabled ? m_enabledColor : m_disabledColor);
  const Font previous = s.CurrentFont();
  if (b.fontHeight != 0) {
    s.SelectFont(Font{b.fontHeight});
  }
  s.DrawTextInBox(b.caption, Rect{2, 2, 210, 28});
  s.SelectFont(previous);
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
