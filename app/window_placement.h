#pragma once
// Where a tool window first opens next to the main window. Pure geometry on
// frame rectangles (decorations included), so that any screen size can be
// tried without one.

#include "render/raster_surface.h"

namespace kumoito {

struct WindowPosition {
  int x = 0;
  int y = 0;
  bool operator==(const WindowPosition&) const = default;
};

// The top-left corner of the input tool's frame: beside the main window's
// right edge, top-aligned, when the screen has room for it there (so that
// it hides no measure); otherwise inside the score's cells (`scoreArea`, on
// the screen), at their bottom right, where it hides measures but none of
// the buttons, lists or the practice row below them. Either way the whole
// frame lies inside `available` (the screen minus panels), unless the tool
// is larger than it, when its top-left corner is kept on the screen.
WindowPosition PlaceInputTool(const Rect& mainFrame, const Rect& scoreArea, int toolWidth,
                              int toolHeight, const Rect& available);

// Where a window that would like a client of width x height opens: the
// result's left/top is its frame's top-left corner (as a window is moved),
// its size the client's. The client is as large as asked, or as much of it
// as fits with the frame (decorations of decorationWidth x decorationHeight)
// inside `available`, centred there; never below minWidth x minHeight.
Rect FitWindowInside(const Rect& available, int width, int height, int decorationWidth,
                     int decorationHeight, int minWidth, int minHeight);

}  // namespace kumoito
