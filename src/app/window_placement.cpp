#include "app/window_placement.h"

namespace cordalis {
namespace {

// The window centred on the work area, each halving truncated toward zero.
WindowRect Centred(std::int32_t width, std::int32_t height, const WindowRect& workArea) {
  WindowRect rect;
  rect.left = workArea.left + (workArea.Width() - width) / 2;
  rect.top = workArea.top + (workArea.Height() - height) / 2;
  rect.right = rect.left + width;
  rect.bottom = rect.top + height;
  return rect;
}

void KeepOnWorkArea(WindowRect& rect, const WindowRect& workArea) {
  if (rect.right > workArea.right) {
    std::int32_t beyond = rect.right - workArea.right;
    rect.left -= beyond;
    rect.right -= beyond;
  }
  if (rect.bottom > workArea.bottom) {
    std::int32_t beyond = rect.bottom - workArea.bottom;
    rect.top -= beyond;
    rect.bottom -= beyond;
  }
  if (rect.left < 0) rect.left = 0;
  if (rect.top < 0) rect.top = 0;
}

}  // namespace

std::string PlacementSection(const std::string& windowName) { return windowName + " Settings"; }

WindowPlacement RestorePlacement(SettingsStore& store, const std::string& section, const WindowPlacement& current,
                                 std::int32_t width, std::int32_t height, const WindowRect& workArea) {
  // The window is taken to stand centred at its designed size, so that a
  // section without "Right" and "Bottom" gives that size, wherever the window
  // was made.
  const WindowRect centred = Centred(width, height, workArea);
  WindowPlacement placement = current;
  placement.normal.left = store.ReadInteger(section, "Left", centred.left);
  placement.normal.top = store.ReadInteger(section, "Top", centred.top);
  placement.normal.right = store.ReadInteger(section, "Right", centred.right);
  placement.normal.bottom = store.ReadInteger(section, "Bottom", centred.bottom);
  placement.minX = store.ReadInteger(section, "MinX", current.minX);
  placement.minY = store.ReadInteger(section, "MinY", current.minY);
  placement.maxX = store.ReadInteger(section, "MaxX", current.maxX);
  placement.maxY = store.ReadInteger(section, "MaxY", current.maxY);
  placement.flags = store.ReadInteger(section, "flags", current.flags);
  placement.showCmd = 0;
  KeepOnWorkArea(placement.normal, workArea);
  return placement;
}

bool SavePlacement(SettingsStore& store, const std::string& section, const WindowPlacement& placement) {
  const struct {
    const char* key;
    std::int32_t value;
  } fields[] = {
      {"Left", placement.normal.left}, {"Top", placement.normal.top},   {"Right", placement.normal.right},
      {"Bottom", placement.normal.bottom}, {"MinX", placement.minX},    {"MinY", placement.minY},
      {"MaxX", placement.maxX},        {"MaxY", placement.maxY},        {"ShowCmd", placement.showCmd},
      {"flags", placement.flags},
  };
  // Every key is tried even after a failure, so that one bad write loses no more.
  bool ok = true;
  for (const auto& field : fields) ok = store.WriteInteger(section, field.key, field.value) && ok;
  return ok;
}

}  // namespace cordalis
