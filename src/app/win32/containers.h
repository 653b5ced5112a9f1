#pragma once
// The windows of the main window that hold others: panels, group boxes and
// splitters. A container hands its children's notifications to its parent,
// so the main window hears every control wherever it sits.
#include <windows.h>

#include <functional>
#include <string>

#include "host/win32/window.h"

namespace cordalis {

class Panel : public Window {
 public:
  static constexpr const char* kClassName = "CordalisPanel";
  static void RegisterClasses(HINSTANCE instance);

  Panel(HWND parent, HINSTANCE instance, int id = 0);
  void Place(int x, int y, int width, int height);
  int Width() const;
  int Height() const;

 protected:
  Panel() = default;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A frame with its caption on the top edge, drawn here so that the caption
// can be greyed while the box stays enabled, as the Controls group's is.
class GroupBox final : public Panel {
 public:
  GroupBox(HWND parent, HINSTANCE instance, const std::string& caption);
  void SetFont(HFONT font);
  void SetCaptionGreyed(bool greyed);
  // The area inside the frame, below the caption, in the box's client coordinates.
  RECT ContentRect() const;
  // The box's height less the height of what fills its content area.
  int Overhead() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);
  int CaptionHeight() const;
  std::string caption_;
  HFONT font_ = nullptr;
  bool greyed_ = false;
};

// A bar the user drags to resize the group beside it. The owner learns the
// distance moved since the drag began and decides whether to follow.
class Splitter final : public Window {
 public:
  static constexpr const char* kClassName = "CordalisSplitter";
  static void RegisterClasses(HINSTANCE instance);

  enum class Direction { Vertical, Horizontal };  // the bar's own orientation
  Splitter(HWND parent, HINSTANCE instance, Direction direction, int id);
  void Place(int x, int y, int width, int height);
  std::function<void()> onDragStart;
  std::function<void(int moved)> onDrag;  // pixels right or down since the drag began

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);
  int Along(LPARAM lParam) const;  // the cursor's position across the bar, in screen pixels
  Direction direction_;
  bool dragging_ = false;
  int dragFrom_ = 0;
};

}  // namespace cordalis
