#include "host/platform.h"

#include "host/host_queries.h"
#include "host/registry.h"

namespace cordalis {
namespace {

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

int WindowsVersionCode(HostQueries& host) {
  std::optional<OsVersionRecord> v = host.GetVersion();
  if (!v) return -1;
  if (v->platformId == 1 && v->major == 4) {
    if (v->minor == 0) return 0;
    if (v->minor == 10) return 1;
    if (v->minor == 90) return 2;
  }
  if (v->platformId == 2) {
    if (v->major == 4) return 3;
    if (v->major == 5 && v->minor == 0) return 4;
    if (v->major == 5 && v->minor == 1) return 5;
  }
  return -1;
}

bool DesktopUpdatePresent(HostQueries& host) { return host.TopLevelWindowExists("BaseBar"); }

int InternetExplorerMajorVersion(RegistryApi& registry) {
  TRegistry reg(registry);
  reg.SetRootKey(kHkeyLocalMachine);
  if (!reg.OpenKeyReadOnly("Software\\Microsoft\\Internet Explorer") || !reg.ValueExists("Version")) return -1;
  std::string version;
  try {
    version = reg.ReadString("Version");
  } catch (const ERegistryException&) {
    return -1;  // a Version that is not text says nothing about the browser
  }
  return version.empty() ? -1 : static_cast<unsigned char>(version[0]) - '0';
}

CurrentPlatform ComputeCurrentPlatform(HostQueries& host, RegistryApi& registry) {
  CurrentPlatform p;
  switch (WindowsVersionCode(host)) {
    case 0:
      p = DesktopUpdatePresent(host) ? CurrentPlatform{pm95 | pmWDU, "95+WDU"} : CurrentPlatform{pm95, "95"};
      break;
    case 1: p = {pm98 | pmWDU, "98"}; break;
    case 2: p = {pmME | pmWDU, "ME"}; break;
    case 3:
      p = DesktopUpdatePresent(host) ? CurrentPlatform{pmNT4 | pmWDU, "NT+WDU"} : CurrentPlatform{pmNT4, "NT"};
      break;
    case 4: p = {pm2000 | pmWDU, "2000"}; break;
    case 5: p = {pmXP | pmWDU, "XP"}; break;
    default: break;
  }
  switch (InternetExplorerMajorVersion(registry)) {
    case 4: p.mask |= pmIE4; p.text += ", IE4"; break;
    case 5: p.mask |= pmIE5; p.text += ", IE5"; break;
    case 6: p.mask |= pmIE6; p.text += ", IE6"; break;
    default: break;
  }
  return p;
}

std::string PlatformListText(std::uint16_t mask) {
  std::string text;
  if (mask & pm95) {
    text += "95, ";
  } else if (mask & pmWDU) {
    text += "95+WDU, ";
  }
  if (mask & pm98) text += "98, ";
  if (mask & pmME) text += "ME, ";
  if (mask & pmNT4) {
    text += "NT4, ";
  } else if (mask & pmWDU) {
    text += "NT4+WDU, ";
  }
  if (mask & pm2000) text += "2000, ";
  if (mask & pmXP) text += "XP, ";
  if (!text.empty()) text.resize(text.size() - 2);
  const std::uint16_t ie = mask & pmIEBits;
  if (ie == 0) return text;
  if (!text.empty()) text += "; ";
  if (ie == (pmIE5 | pmIE6)) return text + "IE5+";
  if (ie == pmIEBits) return text + "IE4+";
  std::string list;
  if (ie & pmIE4) list += "IE4, ";
  if (ie & pmIE5) list += "IE5, ";
  if (ie & pmIE6) list += "IE6, ";
  return text + list.substr(0, list.size() - 2);
}

int ShellVersionNumber(HostQueries& host) {
  std::optional<DllVersionAnswer> answer = host.ShellDllVersion();
  if (!answer || answer->result != 0) return 0;
  return static_cast<int>(answer->major * 100 + std::min<std::uint32_t>(answer->minor, 99));
}

bool NtFamily(HostQueries& host) {
  std::optional<OsVersionRecord> v = host.GetVersion();
  return v && v->platformId == 2;
}

HostEnvironment::HostEnvironment(HostQueries& host) : host_(host) {
  facts_.shellVersion = ShellVersionNumber(host);
  facts_.ntFamily = NtFamily(host);
  facts_.windowsDirectory = WithoutTrailingBackslash(host.WindowsDirectory());
  facts_.systemDirectory = WithoutTrailingBackslash(host.SystemDirectory());
  if (facts_.shellVersion >= 500) {
    host.CoInitialize();
    comInitialised_ = true;
  }
}

HostEnvironment::~HostEnvironment() {
  if (comInitialised_) host_.CoUninitialize();
}

}  // namespace cordalis
