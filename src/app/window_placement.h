#pragma once
// A window's placement section of the settings file (the window's name
// followed by " Settings"): restoring a window's position and size from it,
// kept on the work area, and saving them to it.
#include <cstdint>
#include <string>

#include "host/settings_store.h"

namespace cordalis {

struct WindowRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool operator==(const WindowRect&) const = default;
};

// The fields of the platform's window placement record (WINDOWPLACEMENT).
struct WindowPlacement {
  std::int32_t flags = 0;
  std::int32_t showCmd = 0;  // 3 is maximised
  std::int32_t minX = 0;     // position when minimised
  std::int32_t minY = 0;
  std::int32_t maxX = 0;     // position when maximised
  std::int32_t maxY = 0;
  WindowRect normal;         // the rectangle of the normal (restored) state

  bool operator==(const WindowPlacement&) const = default;
};

// "MainForm" gives "MainForm Settings".
std::string PlacementSection(const std::string& windowName);

// The record to apply to a window of the given size about to open on the
// work area. Each missing key takes the value of a window first centred on
// the work area (its normal rectangle) or of current (the other fields); the
// show state is 0 (hidden), as the window is shown later in the ordinary way,
// so it always opens normal. The rectangle is kept on the work area: moved
// left, then up, as far as it lies beyond the right or bottom edge; then a
// negative left or top becomes 0, the right and bottom edges staying put.
WindowPlacement RestorePlacement(SettingsStore& store, const std::string& section, const WindowPlacement& current,
                                 std::int32_t width, std::int32_t height, const WindowRect& workArea);

// Writes "Left", "Top", "Right", "Bottom", "MinX", "MinY", "MaxX", "MaxY",
// "ShowCmd" and "flags" in that order; false when any could not be written.
bool SavePlacement(SettingsStore& store, const std::string& section, const WindowPlacement& placement);

}  // namespace cordalis
