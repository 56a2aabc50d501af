#pragma once
// CButtonPicture: a group of picture buttons. Each button is a control with
// an off-screen surface showing a face bitmap (normal or pressed) and a
// caption. The command runs on the press, while the pressed face shows.
//
// Thread-safety: GUI thread only. A caption change from another thread must
// be queued to the GUI thread first.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "render/offscreen_control.h"
#include "render/raster_surface.h"

namespace kumoito {

inline constexpr int kNormalFaceId = 129;
inline constexpr int kPressedFaceId = 130;
inline constexpr int kAppIconId = 128;
inline constexpr int kButtonWidth = 88;
inline constexpr int kButtonHeight = 30;
inline constexpr int kPlayCommandId = 3;

inline constexpr Color kCaptionEnabledColor = Rgb(0, 100, 0);
inline constexpr Color kCaptionDisabledColor = Rgb(100, 100, 50);

// The program's own pictures: faces 129 and 130 (88 x 30) and icon 128
// (48 x 48), drawn at scale times the pixels (ScaleEdge of each size). An
// unknown id gives an empty picture.
RasterSurface LoadBitmapResource(int id, double scale = 1.0);

class CButtonPicture {
 public:
  using CommandCallback = std::function<void(int id)>;
  static constexpr int kCapacity = 64;

  CButtonPicture() = default;
  CButtonPicture(const CButtonPicture&) = delete;
  CButtonPicture& operator=(const CButtonPicture&) = delete;

  // Empties the group, installs the callbacks and adds button 0. Captions
  // are CP932 text.
  void CreateButtonGroup(COffScreenControl& control, const Rect& rect, std::string_view caption,
                         int normalFaceId, int pressedFaceId, int initialId, CommandCallback click,
                         CommandCallback release);
  void AddButton(COffScreenControl& control, const Rect& rect, std::string_view caption,
                 int normalFaceId, int pressedFaceId, int initialId);
  void RenderButtonFace(int index);
  void PresentAllButtons();
  // Buttons are removed last first; any other order is a caller's mistake,
  // shown in a message box, and the button is removed all the same.
  void RemoveButton(int index);
  void ReleaseAllButtons();
  // New caption for the Play button (the one whose control's id is 3).
  void SetPlayCaption(std::string_view caption);
  // Pictures at this many pixels per layout pixel (the window's zoom times
  // the screen's pixel ratio), for the buttons there are and those added
  // later; clicks stay in layout pixels. The buttons are drawn again and
  // presented.
  void SetScale(double scale);
  double Scale() const { return m_scale; }

  int Count() const { return m_count; }
  bool IsPressed(int index) const;
  const std::string& Caption(int index) const;
  const Surface* ButtonSurface(int index) const;

 private:
  struct Button {
    std::unique_ptr<Surface> surface;
    RasterSurface normalFace{0, 0};
    RasterSurface pressedFace{0, 0};
    int normalFaceId = 0;
    int pressedFaceId = 0;
    std::string caption;
    int pressed = 0;
    int fontHeight = 0;
  };

  // The faces at the button's picture size and the group's scale.
  void LoadFaces(Button& b) const;
  int IndexOfId(int id) const;
  void OnPress(int x, int y, int id);
  void OnRelease(int x, int y, int id);

  std::array<Button, kCapacity> m_buttons;
  int m_count = 0;
  CommandCallback m_click;
  CommandCallback m_release;
  Color m_enabledColor = kCaptionEnabledColor;
  Color m_disabledColor = kCaptionDisabledColor;
  double m_scale = 1.0;
};

}  // namespace kumoito
