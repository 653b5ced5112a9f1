#include "host/win32/system_library_path.h"

namespace cordalis {

std::string SystemLibraryPath(const char* name) {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(folder, length);
  if (path.back() != '\\') path += '\\';
  return path + name;
}

HMODULE LoadSystemLibrary(const char* name) {
  const std::string path = SystemLibraryPath(name);
  return path.empty() ? nullptr : LoadLibraryA(path.c_str());
}

}  // namespace cordalis
