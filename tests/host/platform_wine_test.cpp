// Platform facts from the real GetVersionEx, FindWindow and Registry, with
// Wine told to report each Windows version to a helper program in turn.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry.h"
#include "host/roots.h"
#include "support/build_path.h"
#include "support/child_process.h"

namespace cordalis {
namespace {

const char kAppDefaults[] = "Software\\Wine\\AppDefaults";
const char kProbeKey[] = "Software\\Wine\\AppDefaults\\platform_probe.exe";

// A top-level window of class "BaseBar", as the integrated shell's desk bands have.
class BaseBarWindow {
 public:
  BaseBarWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BaseBar";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, "BaseBar", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~BaseBarWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_;
};

std::string RunProbe() {
  testing::ChildProcess probe(testing::BuildPath(CORDALIS_PLATFORM_PROBE), {});
  return probe.ReadLine();
}

TEST(PlatformUnderWine, EachWindowsVersionIsRecognised) {
  TRegistry reg(SystemRegistry());
  reg.SetRootKey(kHkeyCurrentUser);
  const bool hadAppDefaults = reg.KeyExists(kAppDefaults);
  ASSERT_FALSE(reg.KeyExists(kProbeKey));
  struct Case {
    const char* wine;
    int code;
    std::uint16_t osMask;       // without the desktop update window
    std::uint16_t osMaskWithBar;
  };
  const Case cases[] = {{"win95", 0, 0x0001, 0x0801}, {"win98", 1, 0x0802, 0x0802}, {"winme", 2, 0x0804, 0x0804},
                        {"nt40", 3, 0x0008, 0x0808},  {"win2k", 4, 0x0810, 0x0810}, {"winxp", 5, 0x0820, 0x0820}};
  for (bool withBar : {false, true}) {
    std::unique_ptr<BaseBarWindow> bar;
    if (withBar) {
      bar = std::make_unique<BaseBarWindow>();
      ASSERT_NE(bar->Handle(), nullptr);
    }
    for (const Case& c : cases) {
      ASSERT_TRUE(reg.OpenKey(kProbeKey, true));
      reg.WriteString("Version", c.wine);
      reg.CloseKey();
      const std::string line = RunProbe();
      unsigned mask = 0;
      int code = -9, present = -1;
      ASSERT_EQ(std::sscanf(line.c_str(), "%d %d %X", &code, &present, &mask), 3) << line;
      EXPECT_EQ(code, c.code) << c.wine << ": " << line;
      EXPECT_EQ(present, withBar ? 1 : 0) << c.wine;
      EXPECT_EQ(mask & 0x0FFF & ~0x0700u, withBar ? c.osMaskWithBar : c.osMask) << c.wine << ": " << line;
    }
  }
  reg.DeleteKey(kProbeKey);
  if (!hadAppDefaults && reg.OpenKey(kAppDefaults, false) && reg.GetKeyNames().empty() &&
      reg.GetValueNames().empty()) {
    reg.CloseKey();
    reg.DeleteKey(kAppDefaults);
  }
  EXPECT_FALSE(reg.KeyExists(kProbeKey));
}

std::vector<std::string> KeyNames(HKey root, const std::string& path) {
  TRegistry reg(SystemRegistry());
  reg.SetRootKey(root);
  if (!reg.OpenKeyReadOnly(path)) return {};
  return reg.GetKeyNames();
}

TEST(PlatformUnderWine, TheWriteProbeSeesWhatWineGrantsAndLeavesNoKey) {
  const std::pair<HKey, const char*> places[] = {{kHkeyCurrentUser, ""},
                                                 {kHkeyClassesRoot, ""},
                                                 {kHkeyCurrentConfig, ""},
                                                 {kHkeyLocalMachine, "SOFTWARE"},
                                                 {kHkeyUsers, ".Default"}};
  std::vector<std::vector<std::string>> before;
  for (const auto& [root, path] : places) before.push_back(KeyNames(root, path));
  EXPECT_EQ(WritableRootSet(SystemRegistry(), SystemHostQueries()), 31) << "Wine lets every user change every root";
  for (std::size_t i = 0; i < std::size(places); ++i)
    EXPECT_EQ(KeyNames(places[i].first, places[i].second), before[i]) << places[i].second;
}

}  // namespace
}  // namespace cordalis
#endif
