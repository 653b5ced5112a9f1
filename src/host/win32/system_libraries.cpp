#include "host/win32/system_libraries.h"

#include <commctrl.h>
#include <richedit.h>

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

}  // namespace cordalis
