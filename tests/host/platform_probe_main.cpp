// Helper of the platform tests under Wine: prints what the running system
// reports, as "<version code> <desktop update> <mask in hex> <text>".
#include <cstdio>

#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry_api.h"

int main() {
  using namespace cordalis;
  HostQueries& host = SystemHostQueries();
  CurrentPlatform p = ComputeCurrentPlatform(host, SystemRegistry());
  std::printf("%d %d %04X %s\n", WindowsVersionCode(host), DesktopUpdatePresent(host) ? 1 : 0,
              static_cast<unsigned>(p.mask), p.text.c_str());
  return 0;
}
