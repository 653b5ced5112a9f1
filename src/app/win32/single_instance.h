#pragma once
// The single-instance record: eight bytes of named shared memory in which the
// first running copy keeps its application window and main window. A second
// copy brings that window forward and ends without a window of its own.
#include <windows.h>

#include "host/win32/unique_handle.h"

namespace cordalis {

class SingleInstance {
 public:
  // The name: our product's words and a GUID chosen once for it.
  static constexpr const char* kName = "Quillfeather Cordalis Shared {6B1E4F2A-93C7-4D58-A0E1-5C2B7D9F3A64}";

  // True when another copy runs: its window was restored if minimised and
  // brought to the foreground, and this copy must end.
  static bool HandOverToFirstCopy();
  // Creates the record for this copy; false when another copy made it since
  // HandOverToFirstCopy looked (both started at once): this copy must end. A
  // record that cannot be made at all leaves this copy running without one.
  bool Create();
  // Stores the two handles, once, right after the main window exists.
  void Store(HWND application, HWND mainWindow);

 private:
  UniqueKernelHandle mapping_;
  UniqueMappedView view_;
};

}  // namespace cordalis
