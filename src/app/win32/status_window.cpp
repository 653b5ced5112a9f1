#include "app/win32/status_window.h"

#include "app/load_summary.h"
#include "db/dm1.h"
#include "host/message_boxes.h"

namespace cordalis {

StatusWindow::StatusWindow(HINSTANCE instance, MessageBoxes& boxes) : boxes_(boxes) {
  Create(kClassName, kCaption, WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, 592, 501, nullptr, instance);
  status_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 16, 540, 400, Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), instance, nullptr);
  SendMessageA(status_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

LRESULT StatusWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !activated_) {
        activated_ = true;
        FirstActivation();
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void StatusWindow::FirstActivation() {
  if (dm_ == nullptr) return;
  if (dm_->LoadStatus() != lsLoaded) {
    boxes_.Show(MsgOwner::MainWindow, MsgIcon::Error, LoadFailureMessage(dm_->LoadStatus()));
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
    return;
  }
  SetWindowTextA(status_, LoadSummary(*dm_).c_str());
}

}  // namespace cordalis
