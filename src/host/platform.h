#pragma once
// Which Windows, shell and Internet Explorer the program runs on, and whether an
// action marked for some of them applies here.
#include <cstdint>
#include <string>

namespace cordalis {

class HostQueries;
class RegistryApi;

enum PlatformBit : std::uint16_t {
  pm95 = 0x0001,
  pm98 = 0x0002,
  pmME = 0x0004,
  pmNT4 = 0x0008,
  pm2000 = 0x0010,
  pmXP = 0x0020,
  pmIE4 = 0x0100,
  pmIE5 = 0x0200,
  pmIE6 = 0x0400,
  pmWDU = 0x0800,
};
inline constexpr std::uint16_t pmIEBits = pmIE4 | pmIE5 | pmIE6;

// The short name of each platform bit, as platform lists and the catalogue write them.
struct PlatformName {
  const char* name;
  std::uint16_t bit;
};
inline constexpr PlatformName kPlatformNames[] = {
    {"95", pm95},   {"98", pm98},   {"ME", pmME},   {"NT4", pmNT4}, {"2000", pm2000},
    {"XP", pmXP},   {"IE4", pmIE4}, {"IE5", pmIE5}, {"IE6", pmIE6}, {"WDU", pmWDU},
};

// 0 = 95, 1 = 98, 2 = ME, 3 = NT4, 4 = 2000, 5 = XP, -1 = not recognised.
int WindowsVersionCode(HostQueries& host);
// True while a top-level window of class "BaseBar" exists.
bool DesktopUpdatePresent(HostQueries& host);
// The major version from HKLM "Software\Microsoft\Internet Explorer" "Version"; -1 when unknown.
int InternetExplorerMajorVersion(RegistryApi& registry);

struct CurrentPlatform {
  std::uint16_t mask = 0;
  std::string text;
};
CurrentPlatform ComputeCurrentPlatform(HostQueries& host, RegistryApi& registry);

// The one matching rule: the two 16-bit sets share a bit.
inline bool PlatformApplies(std::uint16_t itemMask, std::uint16_t currentMask) { return (itemMask & currentMask) != 0; }

// A mask as the list shown on "Platforms:" lines, such as "98, XP; IE5+".
std::string PlatformListText(std::uint16_t mask);

// Shell32's version as major x 100 + minor (minor above 99 counts as 99); 0 when unknown.
int ShellVersionNumber(HostQueries& host);
bool NtFamily(HostQueries& host);

// The facts about the host computed once at start-up and read-only afterwards.
struct HostFacts {
  int shellVersion = 0;
  bool ntFamily = false;
  std::string windowsDirectory;  // without a trailing "\"
  std::string systemDirectory;   // without a trailing "\"
};

// Gathers the host facts and initialises COM for this thread when the shell is
// 5.0 or later; undoes that when destroyed, at program exit.
class HostEnvironment {
 public:
  explicit HostEnvironment(HostQueries& host);
  ~HostEnvironment();
  HostEnvironment(const HostEnvironment&) = delete;
  HostEnvironment& operator=(const HostEnvironment&) = delete;
  const HostFacts& Facts() const { return facts_; }

 private:
  HostQueries& host_;
  HostFacts facts_;
  bool comInitialised_ = false;
};

}  // namespace cordalis
