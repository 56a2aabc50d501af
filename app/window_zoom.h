#pragma once
// WindowZoom: the main window's 拡大 — the steps it offers (100, 125, 150
// and 200 %), which of them leave the window inside the screen's available
// room, the one in use, and the user's choice, kept between runs in zoom.ini
// of the data folder (one "percent=N" line; setup.ini keeps its 24 bytes).
// The zoom maps the 1x client coordinates by the edge rule of ScaleEdge, so
// that controls touching at 1x touch at every step and clicks map back to
// the same 1x pixel.
//
// Thread-safety: GUI thread only (the file functions: any thread).

#include <array>
#include <string>
#include <string_view>

#include "render/canvas.h"

namespace kumoito {

inline constexpr const char* kZoomFileName = "zoom.ini";
inline constexpr std::array<int, 4> kZoomSteps = {100, 125, 150, 200};

// The kept choice: a listed step, 100 when the file is missing, damaged or
// names another value.
int LoadZoomPercent(const std::string& path);
int ParseZoomPercent(std::string_view text);
std::string FormatZoomPercent(int percent);
// False (with the file helpers' report) when it could not be written.
bool SaveZoomPercent(const std::string& path, int percent);

class WindowZoom {
 public:
  // The window's client size at 1x.
  WindowZoom(int clientWidth, int clientHeight);

  // Where the choice is kept; reads it. An empty path keeps nothing.
  void Load(const std::string& path);
  // The room the client may take: the screen's available size minus the
  // frame's decorations. Until it is known every step fits.
  void SetRoom(int width, int height);

  bool Fits(int percent) const;
  // The step in use: the largest that fits and is not above the choice
  // (100 % is shown even on a screen too small for it).
  int Current() const;
  double Factor() const { return Current() / 100.0; }
  // What the user chose last, kept whether or not it fits now.
  int Chosen() const { return m_chosen; }

  // The user's choices (menu, Ctrl+plus, Ctrl+minus, Ctrl+0). Each is kept
  // in the file and returns whether the step in use changed; a step that
  // does not fit, or none left in that direction, changes nothing.
  bool Choose(int percent);
  bool ZoomIn();
  bool ZoomOut();
  bool Reset() { return Choose(100); }

  // The client size, and a 1x client rectangle, at the step in use.
  int Width() const;
  int Height() const;
  Rect Map(const Rect& r) const;
  // A zoomed client coordinate back to its 1x pixel.
  int Unmap(int v) const;

 private:
  int m_clientWidth;
  int m_clientHeight;
  int m_roomWidth = -1;
  int m_roomHeight = -1;
  int m_chosen = 100;
  std::string m_path;
};

}  // namespace kumoito
