#pragma once
#include <windows.h>

#include "host/message_boxes.h"

namespace cordalis {

// Message boxes through MessageBoxA; boxes owned by the main window once it exists.
class Win32MessageBoxes final : public MessageBoxes {
 public:
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  MsgAnswer Show(MsgOwner owner, MsgIcon icon, const std::string& text) override;

 private:
  HWND mainWindow_ = nullptr;
};

}  // namespace cordalis
