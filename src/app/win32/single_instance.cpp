#include "app/win32/single_instance.h"

#include <cstdint>
#include <cstring>

namespace cordalis {
namespace {

constexpr DWORD kRecordSize = 8;

// Window handles are 32-bit values on every Windows, 64-bit ones included.
HWND HandleAt(const void* record, int slot) {
  std::uint32_t value = 0;
  std::memcpy(&value, static_cast<const char*>(record) + 4 * slot, 4);
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

}  // namespace

bool SingleInstance::HandOverToFirstCopy() {
  UniqueKernelHandle mapping(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kName));
  if (!mapping) return false;
  UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kRecordSize));
  if (view) {
    // Zeros when the first copy has not stored its windows yet: nothing to bring forward.
    HWND application = HandleAt(view.get(), 0);
    HWND mainWindow = HandleAt(view.get(), 1);
    if (application != nullptr && IsIconic(application)) ShowWindow(application, SW_RESTORE);
    if (mainWindow != nullptr) SetForegroundWindow(mainWindow);
  }
  return true;
}

bool SingleInstance::Create() {
  mapping_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordSize, kName));
  if (!mapping_) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    mapping_.Reset(nullptr);
    return false;
  }
  view_.Reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kRecordSize));
  return true;
}

void SingleInstance::Store(HWND application, HWND mainWindow) {
  if (!view_) return;
  const std::uint32_t handles[2] = {static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(application)),
                                    static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(mainWindow))};
  std::memcpy(view_.get(), handles, sizeof handles);
}

}  // namespace cordalis
