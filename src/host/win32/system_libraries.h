#pragma once
// The one place for what Windows 95 or NT 4.0 may lack: libraries and
// functions newer than those systems are found at run time, each with the
// fallback the older systems need. Tests stand in a loader that hides some.
#include <windows.h>

#include <string>

#include "host/win32/system_library_path.h"

namespace cordalis {

class SystemLibraries {
 public:
  virtual ~SystemLibraries() = default;
  // The library of this name in the system folder, by its full path
  // (LoadSystemLibrary); nullptr when it is not there. Loaded libraries stay
  // loaded for the life of the process.
  virtual HMODULE Load(const char* name) { return LoadSystemLibrary(name); }
  // A library the program imports, by its name: it is in the process already,
  // so no folder is searched, and the version the manifest chose is the one
  // found.
  virtual HMODULE Imported(const char* name) { return LoadLibraryA(name); }
  // GetProcAddress; nullptr when the function is not there.
  virtual FARPROC Find(HMODULE module, const char* name) { return GetProcAddress(module, name); }
};

SystemLibraries& RealSystemLibraries();

// InitCommonControlsEx for the tree, tool bar, status bar and up-down classes
// where comctl32 has it (4.70 and later), InitCommonControls otherwise.
// Returns true when the newer call was used.
bool InitialiseCommonControls(SystemLibraries& libraries);

// The rich edit the panes use: RichEdit 2.0 or later (riched20.dll) where the
// system has it, else RichEdit 1.0 (riched32.dll, on a plain Windows 95).
struct RichEditClass {
  const char* className = nullptr;  // nullptr when neither library loads
  int version = 0;                  // 2 or 1
  std::string missing;              // when neither loads: what was tried, by full path
};
RichEditClass LoadRichEdit(SystemLibraries& libraries);

// Asks for WM_MOUSELEAVE when the mouse leaves the window: TrackMouseEvent
// (user32 of Windows 98 and NT 4.0), else _TrackMouseEvent (comctl32 4.70,
// which Internet Explorer 3 and later bring to Windows 95). False where
// neither is there: the window then never hears that the mouse left.
bool TrackMouseLeave(SystemLibraries& libraries, HWND window);

}  // namespace cordalis
