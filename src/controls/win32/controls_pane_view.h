#pragma once
// The scroll box sbCtrls: it creates the controls the controls-pane model
// describes, reports what the user does to them back to the model, and
// scrolls when they do not fit. It decides nothing itself.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/controls_pane.h"
#include "host/win32/window.h"

namespace cordalis {

class TextMeasure;

class ControlsPaneView final : public Window {
 public:
  static constexpr const char* kClassName = "CordalisScrollBox";
  static void RegisterClasses(HINSTANCE instance);

  ControlsPaneView(HWND parent, HINSTANCE instance, ControlsPaneModel& model, const TextMeasure& measure);
  ~ControlsPaneView() override;

  void SetFont(HFONT font) { font_ = font; }
  // Creates the model's controls anew, in their order (the tab order).
  void Show();
  int ClientWidth() const;
  // A browse button's dialog gave a label its new caption (already in the model).
  void LabelChanged(int buttonNumber);
  // The window of a control, by name; nullptr when there is none.
  HWND ControlWindow(const std::string& name) const;

  // A "Browse..." button was pressed: the handler names the dialog.
  std::function<void(PaneHandler handler, int buttonNumber)> onBrowse;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Created {
    HWND hwnd;
    const PaneControl* control;  // valid until the next Show
  };
  struct Recipe {
    const char* className;
    DWORD style;
    DWORD exStyle;
    bool driveBox;  // letters only, as capitals
    friend bool operator==(const Recipe& a, const Recipe& b) {
      return std::string_view(a.className) == b.className && a.style == b.style && a.exStyle == b.exStyle &&
             a.driveBox == b.driveBox;
    }
  };
  struct Kept {
    HWND hwnd;
    Recipe recipe;
    bool inUse;
  };
  void DestroyControls();
  static Recipe RecipeOf(const PaneControl& control);
  HWND WindowFor(const Recipe& recipe, const std::string& name);
  HWND ShowControl(const PaneControl& control, int id, HWND after);
  void Command(int id, int code, HWND from);
  void ShowModelText(HWND box, const std::string& text);
  bool ArrowPressed(const NMHDR& header);
  void UpdateScrollBars();
  void ScrollTo(int x, int y);
  void ScrollBy(int bar, int action, int thumb);
  void EnsureVisible(HWND control);
  int ContentWidth() const;
  int ContentHeight() const;

  HINSTANCE instance_;
  ControlsPaneModel& model_;
  const TextMeasure& measure_;
  HFONT font_ = nullptr;
  std::vector<Created> created_;  // the windows of the model's controls, in its order
  std::vector<Kept> kept_;        // every window made, in use or hidden
  int scrollX_ = 0;
  int scrollY_ = 0;
  bool showing_ = false;  // while controls are being filled by program
  bool updatingBars_ = false;
};

}  // namespace cordalis
