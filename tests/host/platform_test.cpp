#include "host/platform.h"

#include <gtest/gtest.h>

#include "doubles/scripted_host_queries.h"
#include "doubles/memory_registry.h"
#include "host/registry.h"

namespace cordalis {
namespace {

void SetIeVersion(MemoryRegistry& registry, const std::string* version) {
  TRegistry reg(registry);
  reg.SetRootKey(kHkeyLocalMachine);
  reg.OpenKey("Software\\Microsoft\\Internet Explorer", true);
  if (version) reg.WriteString("Version", *version);
}

TEST(Platform, VersionCodesFromTheVersionRecord) {
  struct Case {
    std::optional<OsVersionRecord> record;
    int code;
  };
  const Case cases[] = {
      {OsVersionRecord{1, 4, 0}, 0},  {OsVersionRecord{1, 4, 10}, 1}, {OsVersionRecord{1, 4, 90}, 2},
      {OsVersionRecord{2, 4, 0}, 3},  {OsVersionRecord{2, 4, 7}, 3},  {OsVersionRecord{2, 5, 0}, 4},
      {OsVersionRecord{2, 5, 1}, 5},  {OsVersionRecord{2, 5, 2}, -1}, {OsVersionRecord{2, 6, 1}, -1},
      {OsVersionRecord{1, 4, 3}, -1}, {OsVersionRecord{0, 3, 10}, -1}, {std::nullopt, -1},
  };
  for (const Case& c : cases) {
    ScriptedHostQueries host;
    host.version = c.record;
    EXPECT_EQ(WindowsVersionCode(host), c.code);
  }
}

TEST(Platform, InternetExplorerVersionIsTheFirstDigitOfItsText) {
  const std::pair<std::optional<std::string>, int> cases[] = {
      {"5.50.4134.0100", 5}, {"6.0.2900.2180", 6}, {"4.72.3110.0", 4}, {"10.0.1", 1},
      {"7.0", 7},            {"", -1},             {std::nullopt, -1},
  };
  for (const auto& [version, major] : cases) {
    MemoryRegistry registry;
    SetIeVersion(registry, version ? &*version : nullptr);
    EXPECT_EQ(InternetExplorerMajorVersion(registry), major) << version.value_or("(no value)");
  }
  MemoryRegistry none;
  EXPECT_EQ(InternetExplorerMajorVersion(none), -1) << "no key";
  MemoryRegistry dword;
  TRegistry reg(dword);
  reg.SetRootKey(kHkeyLocalMachine);
  reg.OpenKey("Software\\Microsoft\\Internet Explorer", true);
  reg.WriteInteger("Version", 6);
  EXPECT_EQ(InternetExplorerMajorVersion(dword), -1) << "a Version that is not text";
}

TEST(Platform, CurrentPlatformMaskAndText) {
  struct Case {
    OsVersionRecord os;
    bool baseBar;
    const char* ie;
    std::uint16_t mask;
    const char* text;
  };
  const Case cases[] = {
      {{1, 4, 10}, false, "5.0", 0x0A02, "98, IE5"},
      {{2, 4, 0}, true, "4.72", 0x0908, "NT+WDU, IE4"},
      {{1, 4, 0}, false, nullptr, 0x0001, "95"},
      {{1, 4, 0}, true, nullptr, 0x0801, "95+WDU"},
      {{2, 4, 0}, false, "7.0", 0x0008, "NT"},
      {{1, 4, 90}, true, "5.5", 0x0A04, "ME, IE5"},
      {{2, 5, 0}, false, "5.0", 0x0A10, "2000, IE5"},
      {{2, 5, 1}, false, "6.0", 0x0C20, "XP, IE6"},
      {{2, 6, 0}, true, "6.0", 0x0400, ", IE6"},
      {{2, 5, 1}, false, "1.0", 0x0820, "XP"},
  };
  for (const Case& c : cases) {
    ScriptedHostQueries host;
    host.version = c.os;
    host.baseBarExists = c.baseBar;
    MemoryRegistry registry;
    std::string ie = c.ie ? c.ie : "";
    SetIeVersion(registry, c.ie ? &ie : nullptr);
    CurrentPlatform p = ComputeCurrentPlatform(host, registry);
    EXPECT_EQ(p.mask, c.mask) << c.text;
    EXPECT_EQ(p.text, c.text);
  }
}

TEST(Platform, ListTextOfAMask) {
  const std::pair<std::uint16_t, const char*> cases[] = {
      {0x0001, "95"},
      {0x0800, "95+WDU, NT4+WDU"},
      {0x0809, "95, NT4"},
      {0x0836, "95+WDU, 98, ME, NT4+WDU, 2000, XP"},
      {0x003F, "95, 98, ME, NT4, 2000, XP"},
      {0x073F, "95, 98, ME, NT4, 2000, XP; IE4+"},
      {0x0622, "98, XP; IE5+"},
      {0x0402, "98; IE6"},
      {0x0300, "IE4, IE5"},
      {0x0500, "IE4, IE6"},
      {0x0000, ""},
      {0x0100, "IE4"},
      {0x0700, "IE4+"},
      {0x0600, "IE5+"},
      {0x0102, "98; IE4"},
      {0xF0C0, ""},  // bits that mean nothing are never shown
      {0xF0C2, "98"},
  };
  for (const auto& [mask, text] : cases) EXPECT_EQ(PlatformListText(mask), text) << std::hex << mask;
}

TEST(Platform, ApplyingIsSharingABit) {
  EXPECT_TRUE(PlatformApplies(0x0001 | 0x0200, 0x0001));
  EXPECT_TRUE(PlatformApplies(0x0001 | 0x0200, 0x0A20)) << "any Windows with IE5";
  EXPECT_FALSE(PlatformApplies(0x0001 | 0x0200, 0x0C20));
  EXPECT_TRUE(PlatformApplies(0x0800, 0x0802));
  EXPECT_FALSE(PlatformApplies(0x0000, 0xFFFF));
  EXPECT_FALSE(PlatformApplies(0xF0C0, 0x0F3F)) << "unused bits never match a current mask";
}

TEST(Platform, ShellVersionAndComStartUp) {
  struct Case {
    std::optional<DllVersionAnswer> answer;
    int number;
  };
  const Case cases[] = {
      {DllVersionAnswer{0, 4, 71}, 471}, {DllVersionAnswer{0, 4, 72}, 472}, {DllVersionAnswer{0, 5, 0}, 500},
      {DllVersionAnswer{0, 6, 0}, 600},  {DllVersionAnswer{0, 5, 150}, 599}, {DllVersionAnswer{1, 6, 0}, 0},
      {std::nullopt, 0},
  };
  for (const Case& c : cases) {
    ScriptedHostQueries host;
    host.shellVersion = c.answer;
    EXPECT_EQ(ShellVersionNumber(host), c.number);
    {
      HostEnvironment environment(host);
      EXPECT_EQ(environment.Facts().shellVersion, c.number);
      EXPECT_EQ(host.coInitializeCalls, c.number >= 500 ? 1 : 0) << c.number;
      EXPECT_EQ(host.coUninitializeCalls, 0);
    }
    EXPECT_EQ(host.coUninitializeCalls, c.number >= 500 ? 1 : 0) << c.number;
  }
}

TEST(Platform, HostFactsAreTakenOnce) {
  ScriptedHostQueries host;
  host.version = OsVersionRecord{2, 5, 1};
  host.windowsDirectory = "C:\\WINNT\\";
  host.systemDirectory = "C:\\WINNT\\system32";
  HostEnvironment environment(host);
  EXPECT_TRUE(environment.Facts().ntFamily);
  EXPECT_EQ(environment.Facts().windowsDirectory, "C:\\WINNT") << "one trailing backslash removed";
  EXPECT_EQ(environment.Facts().systemDirectory, "C:\\WINNT\\system32");
  host.version = OsVersionRecord{1, 4, 10};
  EXPECT_FALSE(NtFamily(host));
  host.version.reset();
  EXPECT_FALSE(NtFamily(host)) << "a failed call is not NT";
}

}  // namespace
}  // namespace cordalis
