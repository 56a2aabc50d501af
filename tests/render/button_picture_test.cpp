#include "render/button_picture.h"

#include <gtest/gtest.h>

#include "common/message_box.h"
#include "common/sjis.h"
#include "tests/render/render_test_util.h"

namespace kumoito {
namespace {

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_buttons.CreateButtonGroup(
        m_controls[0], Rect{10, 10, 98, 40}, "   A", kNormalFaceId, kPressedFaceId, -1,
        [this](int id) { m_events.push_back("click " + std::to_string(id)); },
        [this](int id) { m_events.push_back("release " + std::to_string(id)); });
    m_buttons.AddButton(m_controls[1], Rect{110, 10, 198, 40}, "   B", kNormalFaceId,
                        kPressedFaceId, -1);
    m_buttons.AddButton(m_controls[2], Rect{210, 10, 298, 40}, "   C", kNormalFaceId,
                        kPressedFaceId, -1);
    m_controls[0].m_id = 1;
    m_controls[1].m_id = kPlayCommandId;
    m_controls[2].m_id = 7;
    m_buttons.PresentAllButtons();
  }
  Color ScreenPixel(int button, int x, int y) const {
    return m_controls[button].Screen()->PixelAt(x, y);
  }

  test::ScopedFixedGlyphs m_glyphs;
  COffScreenControl m_controls[3];
  CButtonPicture m_buttons;
  std::vector<std::string> m_events;
};

TEST_F(ButtonTest, FacesAreOwnPicturesOfButtonSize) {
  const RasterSurface normal = LoadBitmapResource(kNormalFaceId);
  const RasterSurface pressed = LoadBitmapResource(kPressedFaceId);
  EXPECT_EQ(normal.Width(), 88);
  EXPECT_EQ(normal.Height(), 30);
  EXPECT_NE(normal.PixelAt(44, 10), pressed.PixelAt(44, 10));
  EXPECT_EQ(LoadBitmapResource(kAppIconId).Width(), 48);
  EXPECT_EQ(LoadBitmapResource(999).Width(), 0);
  EXPECT_EQ(m_controls[1].Geometry(), (Rect{110, 10, 198, 40}));
}

TEST_F(ButtonTest, PressCommandsOnceAndReleaseReleasesOnce) {
  const Color normal = ScreenPixel(0, 44, 8);
  m_controls[0].OnLeftButtonDown(5, 5);
  EXPECT_EQ(m_events, std::vector<std::string>{"click 1"});
  EXPECT_TRUE(m_buttons.IsPressed(0));
  const Color pressed = ScreenPixel(0, 44, 8);
  EXPECT_NE(pressed, normal);  // the pressed face is on screen during the command
  m_controls[0].OnLeftButtonUp(5, 5);
  EXPECT_EQ(m_events, (std::vector<std::string>{"click 1", "release 1"}));
  EXPECT_FALSE(m_buttons.IsPressed(0));
  EXPECT_EQ(ScreenPixel(0, 44, 8), normal);
}

TEST_F(ButtonTest, LeavingWhilePressedReleasesOnceWithMinusOne) {
  std::vector<std::pair<int, int>> releasePoints;
  m_controls[2].m_onRelease = [&, inner = m_controls[2].m_onRelease](int x, int y, int id) {
    releasePoints.push_back({x, y});
    inner(x, y, id);
  };
  m_controls[2].OnLeftButtonDown(3, 3);
  m_controls[2].OnMouseLeave();
  m_controls[2].OnMouseLeave();  // not pressed any more: nothing
  EXPECT_EQ(m_events, (std::vector<std::string>{"click 7", "release 7"}));
  EXPECT_EQ(releasePoints, (std::vector<std::pair<int, int>>{{-1, -1}}));
  m_controls[1].OnMouseLeave();  // never pressed
  EXPECT_EQ(m_events.size(), 2u);
}

TEST_F(ButtonTest, ButtonWithoutIdIgnoresEverything) {
  m_controls[1].m_id = -1;
  const Color before = ScreenPixel(1, 44, 8);
  m_controls[1].OnLeftButtonDown(1, 1);
  m_controls[1].OnLeftButtonUp(1, 1);
  EXPECT_TRUE(m_events.empty());
  EXPECT_EQ(ScreenPixel(1, 44, 8), before);
}

TEST_F(ButtonTest, PlayCaptionChangesOnlyThePlayButton) {
  const Color captionArea = ScreenPixel(1, 30, 15);
  m_buttons.SetPlayCaption(*Utf8ToCp932("   停　止"));
  EXPECT_EQ(m_buttons.Caption(1), *Utf8ToCp932("   停　止"));
  EXPECT_EQ(m_buttons.Caption(0), "   A");
  EXPECT_EQ(ScreenPixel(1, 30, 15), captionArea);  // not presented yet
  m_buttons.PresentAllButtons();
  // 3 blanks of 6 pixels, then a 12-pixel full-width box: ink from x 21.
  EXPECT_EQ(ScreenPixel(1, 22, 15), kCaptionEnabledColor);
}

TEST_F(ButtonTest, DisabledButtonsUseTheDisabledCaptionColour) {
  m_controls[0].SetEnabled(false);
  m_buttons.RenderButtonFace(0);
  m_buttons.PresentAllButtons();
  // "   A": the A box starts at 2 + 18 = 20, ink from 21, rows 10..19.
  EXPECT_EQ(ScreenPixel(0, 21, 15), kCaptionDisabledColor);
  EXPECT_EQ(ScreenPixel(1, 21, 15), kCaptionEnabledColor);
}

TEST_F(ButtonTest, AtScaleTwoFacesAndCaptionsAreDrawnAtTwiceThePixels) {
  const RasterSurface oneX = *m_controls[0].Screen();
  m_buttons.SetScale(2.0);
  const RasterSurface& s = *m_controls[0].Screen();  // presented by SetScale
  ASSERT_EQ(s.Width(), 176);
  ASSERT_EQ(s.Height(), 60);
  const RasterSurface face = LoadBitmapResource(kNormalFaceId);
  // Corner, border, bevel and gradient of the 1x face land on the edges of
  // their doubled runs: the border two pixels wide, the bevel rows 2 and 3.
  EXPECT_EQ(s.PixelAt(0, 0), face.PixelAt(0, 0));
  EXPECT_EQ(s.PixelAt(100, 0), face.PixelAt(50, 0));
  EXPECT_EQ(s.PixelAt(100, 1), face.PixelAt(50, 0));
  EXPECT_EQ(s.PixelAt(100, 2), face.PixelAt(50, 1));
  EXPECT_EQ(s.PixelAt(100, 3), face.PixelAt(50, 1));
  EXPECT_NE(s.PixelAt(100, 4), face.PixelAt(50, 1));
  EXPECT_EQ(s.PixelAt(1, 30), face.PixelAt(0, 15));
  EXPECT_NE(s.PixelAt(2, 30), face.PixelAt(0, 15));
  EXPECT_EQ(s.PixelAt(175, 59), face.PixelAt(87, 29));
  EXPECT_EQ(s.PixelAt(100, 58), face.PixelAt(50, 29));
  // "   A" in the 24-pixel font: 3 blanks of 12 from x = 4, the A's box from
  // 40 with ink from 41, rows 19 to 38 of the box 4..56 (20 rows, twice 10).
  EXPECT_NE(s.PixelAt(40, 30), kCaptionEnabledColor);
  EXPECT_EQ(s.PixelAt(41, 30), kCaptionEnabledColor);
  int inkRows = 0;
  for (int y = 0; y < s.Height(); ++y) {
    inkRows += s.PixelAt(41, y) == kCaptionEnabledColor ? 1 : 0;
  }
  EXPECT_EQ(inkRows, 20);

  // The press still arrives in layout pixels and shows the pressed face,
  // drawn at the same size.
  m_controls[0].OnLeftButtonDown(5, 5);
  EXPECT_EQ(m_events, std::vector<std::string>{"click 1"});
  EXPECT_EQ(m_controls[0].Screen()->Width(), 176);
  EXPECT_EQ(m_controls[0].Screen()->PixelAt(100, 0),
            LoadBitmapResource(kPressedFaceId).PixelAt(50, 0));
  m_controls[0].OnLeftButtonUp(5, 5);

  // Drawn twice, the caption keeps its size; back at 1x every pixel is as
  // before.
  m_buttons.RenderButtonFace(0);
  m_buttons.PresentAllButtons();
  EXPECT_EQ(m_controls[0].Screen()->PixelAt(41, 30), kCaptionEnabledColor);
  EXPECT_NE(m_controls[0].Screen()->PixelAt(40, 30), kCaptionEnabledColor);
  m_buttons.SetScale(1.0);
  const RasterSurface& back = *m_controls[0].Screen();
  ASSERT_EQ(back.Width(), 88);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 88; ++x) {
      ASSERT_EQ(back.PixelAt(x, y), oneX.PixelAt(x, y)) << x << "," << y;
    }
  }
}

TEST_F(ButtonTest, AButtonOnAHalfPixelEdgeFillsItsPicture) {
  // At 125 % the edges 622 and 652 land on 778 and 815: 37 rows, one fewer
  // than 30 rows scaled alone, and the face still closes with its border.
  CButtonPicture group;
  COffScreenControl control;
  group.SetScale(1.25);
  group.CreateButtonGroup(control, Rect{660, 622, 748, 652}, "x", kNormalFaceId, kPressedFaceId, -1,
                          nullptr, nullptr);
  group.PresentAllButtons();
  const RasterSurface& s = *control.Screen();
  ASSERT_EQ(s.Width(), 110);
  ASSERT_EQ(s.Height(), 37);
  const Color border = LoadBitmapResource(kNormalFaceId).PixelAt(50, 29);
  EXPECT_EQ(s.PixelAt(55, 36), border);
  EXPECT_NE(s.PixelAt(55, 35), border);
  EXPECT_EQ(LoadBitmapResource(kAppIconId, 2.0).Width(), 96);
}

TEST_F(ButtonTest, RemovingOutOfOrderShowsTheMessageAndStillRemoves) {
  ScopedMessageBoxCapture boxes;
  m_buttons.RemoveButton(0);
  EXPECT_EQ(boxes.Messages(), std::vector<std::string>{"CButtonPicture::ErrorMsg"});
  EXPECT_EQ(m_buttons.Count(), 2);
  m_controls[0].OnLeftButtonDown(1, 1);  // its handlers are gone
  EXPECT_TRUE(m_events.empty());
}

TEST_F(ButtonTest, RemovingLastToFirstIsQuiet) {
  ScopedMessageBoxCapture boxes;
  for (int i = 2; i >= 0; --i) {
    m_buttons.RemoveButton(i);
  }
  EXPECT_TRUE(boxes.Messages().empty());
  EXPECT_EQ(m_buttons.Count(), 0);
}

TEST_F(ButtonTest, ACommandMayReleaseItsOwnGroup) {
  // The library dialog's buttons close the dialog, which releases the group
  // while the press is being handled.
  CButtonPicture dialog;
  COffScreenControl control;
  dialog.CreateButtonGroup(
      control, Rect{0, 0, 88, 30}, "x", kNormalFaceId, kPressedFaceId, -1,
      [&dialog](int) { dialog.ReleaseAllButtons(); }, nullptr);
  control.m_id = 0;
  control.OnLeftButtonDown(1, 1);
  EXPECT_EQ(dialog.ButtonSurface(0), nullptr);
  control.OnLeftButtonUp(1, 1);  // no handler any more: nothing happens
}

}  // namespace
}  // namespace kumoito
