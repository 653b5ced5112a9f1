#pragma once
// The keyboard, as a person presses it: keys go to whichever window of the
// program has the focus, through its message loop, accelerators and dialog
// keys, with Shift and Ctrl held as the program sees them.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace cordalis::testing {

struct Keys {
  bool shift = false;
  bool ctrl = false;
};

inline void PressKey(WORD key, Keys held = {}) {
  std::vector<INPUT> input;
  auto add = [&](WORD vk, bool up) {
    INPUT one{};
    one.type = INPUT_KEYBOARD;
    one.ki.wVk = vk;
    one.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(one);
  };
  if (held.ctrl) add(VK_CONTROL, false);
  if (held.shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (held.shift) add(VK_SHIFT, true);
  if (held.ctrl) add(VK_CONTROL, true);
  if (SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) != input.size())
    throw std::runtime_error("the keyboard input was refused");
}

inline void TypeText(const std::string& text) {
  for (char c : text) {
    const SHORT key = VkKeyScanA(c);
    PressKey(LOBYTE(key), {(HIBYTE(key) & 1) != 0, false});
  }
}

// The window with the keyboard focus in the thread of this window.
inline HWND FocusOf(HWND window) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread)) return nullptr;
  return thread.hwndFocus;
}

// Waits until a condition about the other process holds: it gives no event
// for what its input changed, so it is looked at again shortly, up to a limit.
template <class Condition>
bool Eventually(HANDLE process, Condition condition, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0) return condition();
  }
  return true;
}

}  // namespace cordalis::testing
