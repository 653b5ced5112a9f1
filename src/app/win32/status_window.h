#pragma once
// The program's window until the tweak tree exists: it shows what the data
// module loaded, and on its first activation reports a failed load and ends.
#include <windows.h>

#include "app/win32/window.h"

namespace cordalis {

class MessageBoxes;
class Tdm1;

class StatusWindow final : public Window {
 public:
  static constexpr const char* kClassName = "TMainForm";
  static constexpr int kStatusId = 100;

  StatusWindow(HINSTANCE instance, MessageBoxes& boxes);
  void Attach(Tdm1& dm) { dm_ = &dm; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FirstActivation();

  MessageBoxes& boxes_;
  Tdm1* dm_ = nullptr;
  HWND status_ = nullptr;
  bool activated_ = false;
};

}  // namespace cordalis
