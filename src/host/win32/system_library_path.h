#pragma once
// Libraries of the system folder, loaded by their full path. By a bare name,
// Windows before XP SP1 looks in the current folder before the system folder,
// so a library of that name planted beside a document the user opened from
// elsewhere would be loaded instead.
#include <windows.h>

#include <string>

namespace cordalis {

// The library's full path in the system folder (GetSystemDirectory); empty
// when the system folder cannot be found.
std::string SystemLibraryPath(const char* name);
// LoadLibraryA of that path; nullptr when the library is not there.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace cordalis
