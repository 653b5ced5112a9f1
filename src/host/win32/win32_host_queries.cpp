// The host queries on Windows.
#include <windows.h>

#include <objbase.h>
#include <shlwapi.h>

#include <cstring>

#include "host/host_queries.h"
#include "host/win32/system_library_path.h"
#include "host/win32/unique_handle.h"

namespace cordalis {
namespace {

class Win32HostQueries final : public HostQueries {
 public:
  std::optional<OsVersionRecord> GetVersion() override {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
    if (!GetVersionExA(&info)) return std::nullopt;
    return OsVersionRecord{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
  }

  bool TopLevelWindowExists(const std::string& className) override {
    return FindWindowA(className.c_str(), nullptr) != nullptr;
  }

  std::optional<DllVersionAnswer> ShellDllVersion() override {
    // A failed LoadLibrary is NULL on Win32 (the "32 or less" rule was Win16's).
    UniqueModule shell(LoadSystemLibrary("shell32.dll"));
    if (!shell) return std::nullopt;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(shell.get(), "DllGetVersion")));
    if (getVersion == nullptr) return std::nullopt;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;  // 20 bytes
    HRESULT result = getVersion(&info);
    return DllVersionAnswer{static_cast<long>(result), info.dwMajorVersion, info.dwMinorVersion};
  }

  std::string WindowsDirectory() override {
    char buffer[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, n < MAX_PATH ? n : 0);
  }

  std::string SystemDirectory() override {
    char buffer[MAX_PATH] = {};
    UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, n < MAX_PATH ? n : 0);
  }

  std::string ExpandEnvironment(const std::string& text) override {
    DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return {};
    std::string buffer(needed + 1, '\0');
    DWORD n = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed + 1);
    if (n == 0 || n > needed + 1) return {};
    return std::string(buffer.c_str());
  }

  std::array<std::uint8_t, 16> NewGuid() override {
    GUID guid{};
    CoCreateGuid(&guid);
    std::array<std::uint8_t, 16> bytes{};
    static_assert(sizeof guid == 16);
    std::memcpy(bytes.data(), &guid, 16);
    return bytes;
  }

  std::string ProgramPath() override {
    // A path that fills the buffer may have been cut short: ask again with more room.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
      std::string path(size, '\0');
      DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
      if (n == 0) return {};
      if (n < size) return path.substr(0, n);
    }
    return {};
  }

  void CoInitialize() override { ::CoInitialize(nullptr); }
  void CoUninitialize() override { ::CoUninitialize(); }
};

}  // namespace

HostQueries& SystemHostQueries() {
  static Win32HostQueries host;
  return host;
}

}  // namespace cordalis
