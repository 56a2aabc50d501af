#pragma once
// WindowZoom: the main window's 拡大 of the tablature inside the score area
// — the steps it offers (100, 125, 150, 200 and 300 %), the one in use, and
// the user's choice, kept between runs in zoom.ini of the data folder (one
// "percent=N" line; setup.ini keeps its 24 bytes). The window and its
// controls keep their size, so every step works on any screen. The zoom maps
// the score's 1x coordinates by the edge rule of ScaleEdge, so that cells
// touching at 1x touch at every step and clicks map back to the same 1x
// pixel.
//
// Thread-safety: GUI thread only (the file functions: any thread).

#include <array>
#include <string>
#include <string_view>

#include "render/canvas.h"

namespace kumoito {

inline constexpr const char* kZoomFileName = "zoom.ini";
inline constexpr std::array<int, 5> kZoomSteps = {100, 125, 150, 200, 300};

// The kept choice: a listed step, 100 when the file is missing, damaged or
// names another value.
int LoadZoomPercent(const std::string& path);
int ParseZoomPercent(std::string_view text);
std::string FormatZoomPercent(int percent);
// False (with the file helpers' report) when it could not be written.
bool SaveZoomPercent(const std::string& path, int percent);

class WindowZoom {
 public:
  // Where the choice is kept; reads it. An empty path keeps nothing.
  void Load(const std::string& path);

  // Whether percent is one of the steps.
  static bool IsStep(int percent);
  int Current() const { return m_chosen; }
  double Factor() const { return Current() / 100.0; }

  // The user's choices (menu, Ctrl+plus, Ctrl+minus, Ctrl+0, Ctrl+wheel).
  // Each is kept in the file and returns whether the step in use changed;
  // a value that is no step, or none left in that direction, changes
  // nothing.
  bool Choose(int percent);
  bool ZoomIn();
  bool ZoomOut();
  bool Reset() { return Choose(100); }

  // A 1x score rectangle, and a 1x length, at the step in use.
  Rect Map(const Rect& r) const;
  int MapEdge(int v) const;
  // A zoomed client coordinate back to its 1x pixel.
  int Unmap(int v) const;

 private:
  int m_chosen = 100;
  std::string m_path;
};

}  // namespace kumoito
