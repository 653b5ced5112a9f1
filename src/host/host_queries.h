#pragma once
// The questions the program puts to Windows about the machine it runs on.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace cordalis {

struct OsVersionRecord {
  std::uint32_t platformId = 0;  // 1 the Windows 9x family, 2 the NT family
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// What Shell32.dll's DllGetVersion answered.
struct DllVersionAnswer {
  long result = 0;  // 0 is success
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

class HostQueries {
 public:
  virtual ~HostQueries() = default;
  // GetVersionEx with the 148-byte record; nothing when the call fails.
  virtual std::optional<OsVersionRecord> GetVersion() = 0;
  // FindWindow by class name alone.
  virtual bool TopLevelWindowExists(const std::string& className) = 0;
  // Loads Shell32.dll, calls its DllGetVersion and releases it; nothing when
  // the library or the export is missing.
  virtual std::optional<DllVersionAnswer> ShellDllVersion() = 0;
  // GetWindowsDirectory and GetSystemDirectory (260-character buffers), as returned.
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  // ExpandEnvironmentStrings: a first call for the size, a second to fill a
  // buffer one larger; the result ends at its first zero.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
  // CoCreateGuid.
  virtual std::array<std::uint8_t, 16> NewGuid() = 0;
  // The full path of the running program (GetModuleFileName), however long;
  // empty when it cannot be had.
  virtual std::string ProgramPath() = 0;
  virtual void CoInitialize() = 0;
  virtual void CoUninitialize() = 0;
};

// The host queries of the machine the program runs on (Windows builds only).
HostQueries& SystemHostQueries();

}  // namespace cordalis
