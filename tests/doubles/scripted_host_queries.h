#pragma once
// The host queries as a script: each answer is whatever the test set.
#include "host/host_queries.h"

namespace cordalis {

// Answers whatever a test sets; records the COM calls made.
class ScriptedHostQueries final : public HostQueries {
 public:
  std::optional<OsVersionRecord> version;
  bool baseBarExists = false;
  std::optional<DllVersionAnswer> shellVersion;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\SYSTEM32";
  std::string expanded;  // what environment expansion returns; empty gives empty
  std::string programPath = "C:\\Program Files\\Cordalis\\cordalis.exe";
  std::array<std::uint8_t, 16> nextGuid{};
  int coInitializeCalls = 0;
  int coUninitializeCalls = 0;
  std::string lastFindWindowClass;

  std::optional<OsVersionRecord> GetVersion() override { return version; }
  bool TopLevelWindowExists(const std::string& className) override {
    lastFindWindowClass = className;
    return baseBarExists && className == "BaseBar";
  }
  std::optional<DllVersionAnswer> ShellDllVersion() override { return shellVersion; }
  std::string WindowsDirectory() override { return windowsDirectory; }
  std::string SystemDirectory() override { return systemDirectory; }
  std::string ExpandEnvironment(const std::string&) override { return expanded; }
  // Each GUID differs from the last, so a probe that meets an existing name can draw again.
  std::array<std::uint8_t, 16> NewGuid() override {
    std::array<std::uint8_t, 16> guid = nextGuid;
    for (std::size_t i = 16; i-- > 0;)
      if (++nextGuid[i] != 0) break;
    return guid;
  }
  std::string ProgramPath() override { return programPath; }
  void CoInitialize() override { ++coInitializeCalls; }
  void CoUninitialize() override { ++coUninitializeCalls; }
};

}  // namespace cordalis
