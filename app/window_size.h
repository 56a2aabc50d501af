#pragma once
// The main window's size beyond its smallest one: where the controls go when
// it grows (the score area takes the room, the rows below it keep their
// distance from the bottom edge) and the size kept between runs in
// window.ini of the data folder ("width=", "height=" of the client and
// "maximized=" 0 or 1; setup.ini keeps its 24 bytes).
//
// Thread-safety: pure functions, apart from the file functions (any thread).

#include <optional>
#include <string>
#include <string_view>

#include "render/canvas.h"

namespace kumoito {

inline constexpr const char* kWindowSizeFileName = "window.ini";

struct KeptWindowSize {
  int width = 0;
  int height = 0;
  bool maximized = false;
  bool operator==(const KeptWindowSize&) const = default;
};

// nullopt when the file is missing or damaged, or names a size below
// minWidth x minHeight or beyond any screen.
std::optional<KeptWindowSize> ParseWindowSize(std::string_view text, int minWidth, int minHeight);
std::string FormatWindowSize(const KeptWindowSize& size);
std::optional<KeptWindowSize> LoadWindowSize(const std::string& path, int minWidth, int minHeight);
// False (with the file helpers' report) when it could not be written.
bool SaveWindowSize(const std::string& path, const KeptWindowSize& size);

// How a control follows the window's growth.
enum class WindowAnchor {
  kTopLeft,     // the score's cells: they stay where they are
  kBottomLeft,  // the rows below the score: their distance from the bottom
  kRightEdge,   // the score's scroll bar: at the right, as tall as the room
};

// The anchor of a client rectangle at the smallest size: everything from
// scoreBottom down sits in the rows below the score.
WindowAnchor AnchorOf(const Rect& r, int scoreBottom);

// Rectangle r (at the smallest size) in a window extraWidth x extraHeight
// larger (neither below 0).
Rect FollowGrowth(const Rect& r, WindowAnchor anchor, int extraWidth, int extraHeight);

}  // namespace kumoito
