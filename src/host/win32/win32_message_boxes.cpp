#include "host/win32/win32_message_boxes.h"

namespace cordalis {

MsgAnswer Win32MessageBoxes::Show(MsgOwner owner, MsgIcon icon, const std::string& text) {
  UINT style = icon == MsgIcon::Question ? MB_YESNO | MB_ICONQUESTION
               : icon == MsgIcon::Error  ? MB_OK | MB_ICONERROR
                                         : MB_OK | MB_ICONINFORMATION;
  HWND window = owner == MsgOwner::MainWindow ? mainWindow_ : nullptr;
  if (window == nullptr) style |= MB_TASKMODAL;
  int result = MessageBoxA(window, text.c_str(), kCaption, style);
  if (icon != MsgIcon::Question) return MsgAnswer::Ok;
  return result == IDYES ? MsgAnswer::Yes : MsgAnswer::No;
}

}  // namespace cordalis
