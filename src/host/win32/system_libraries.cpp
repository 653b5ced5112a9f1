#include "host/win32/system_libraries.h"

#include <commctrl.h>
#include <richedit.h>

#include <utility>

namespace cordalis {

SystemLibraries& RealSystemLibraries() {
  static SystemLibraries libraries;
  return libraries;
}

bool InitialiseCommonControls(SystemLibraries& libraries) {
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  if (HMODULE comctl = libraries.Imported("comctl32.dll")) {
    if (auto initEx = reinterpret_cast<InitEx>(reinterpret_cast<void*>(libraries.Find(comctl, "InitCommonControlsEx")))) {
      INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
      if (initEx(&controls)) return true;
    }
  }
  InitCommonControls();  // every comctl32 has it; it registers the Windows 95 classes
  return false;
}

RichEditClass LoadRichEdit(SystemLibraries& libraries) {
  if (libraries.Load("riched20.dll")) return {RICHEDIT_CLASSA, 2, {}};
  if (libraries.Load("riched32.dll")) return {RICHEDIT_CLASS10A, 1, {}};
  return {nullptr, 0,
          "neither " + SystemLibraryPath("riched20.dll") + " nor " + SystemLibraryPath("riched32.dll") +
              " can be loaded"};
}

bool TrackMouseLeave(SystemLibraries& libraries, HWND window) {
  using Track = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
  static const Track track = [&]() -> Track {
    for (auto [library, function] :
         {std::pair{"user32.dll", "TrackMouseEvent"}, std::pair{"comctl32.dll", "_TrackMouseEvent"}})
      if (HMODULE module = libraries.Load(library))
        if (FARPROC found = libraries.Find(module, function))
          return reinterpret_cast<Track>(reinterpret_cast<void*>(found));
    return nullptr;
  }();
  if (track == nullptr) return false;
  TRACKMOUSEEVENT request{sizeof request, TME_LEAVE, window, 0};
  return track(&request) != FALSE;
}

}  // namespace cordalis
