#pragma once
#include <windows.h>

#include <string>

namespace cordalis {

// The system's own wording of a Windows error code, without the trailing line break.
std::string SystemErrorText(DWORD code);

}  // namespace cordalis
