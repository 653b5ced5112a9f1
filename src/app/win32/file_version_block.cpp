#include <windows.h>

#include "app/win32/file_version_block.h"

namespace cordalis {

std::vector<std::uint8_t> ReadFileVersionBlock(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<std::uint8_t> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
  return block;
}

}  // namespace cordalis
