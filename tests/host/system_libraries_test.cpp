// The run-time fallbacks for what Windows 95 and NT 4.0 lack, checked against
// the real Windows libraries with some of them hidden.
#ifdef _WIN32
#include "host/win32/system_libraries.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <set>
#include <string>

#include "host/text.h"

namespace cordalis {
namespace {

// A system without some libraries or functions, as an older Windows is.
class OlderSystem final : public SystemLibraries {
 public:
  std::set<std::string> missingLibraries;
  std::set<std::string> missingFunctions;
  std::vector<std::string> loaded;

  HMODULE Load(const char* name) override {
    loaded.push_back(ToLowerAscii(name));
    return missingLibraries.count(ToLowerAscii(name)) ? nullptr : SystemLibraries::Load(name);
  }
  FARPROC Find(HMODULE module, const char* name) override {
    return missingFunctions.count(name) ? nullptr : SystemLibraries::Find(module, name);
  }
};

bool CanCreate(const char* className) {
  HWND window = CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return false;
  DestroyWindow(window);
  return true;
}

TEST(SystemLibraries, CommonControlsStartWithOrWithoutTheNewerCall) {
  OlderSystem modern;
  EXPECT_TRUE(InitialiseCommonControls(modern));
  OlderSystem comctl400;  // Windows 95 and NT 4.0 before Internet Explorer 3
  comctl400.missingFunctions = {"InitCommonControlsEx"};
  EXPECT_FALSE(InitialiseCommonControls(comctl400));
  EXPECT_TRUE(CanCreate(WC_TREEVIEWA));
  EXPECT_TRUE(CanCreate(STATUSCLASSNAMEA));
}

TEST(SystemLibraries, RichEditFallsBackToVersionOne) {
  OlderSystem modern;
  RichEditClass newer = LoadRichEdit(modern);
  EXPECT_EQ(newer.version, 2);
  EXPECT_STREQ(newer.className, "RichEdit20A");
  EXPECT_TRUE(CanCreate(newer.className));

  OlderSystem plain95;  // no riched20.dll
  plain95.missingLibraries = {"riched20.dll"};
  RichEditClass older = LoadRichEdit(plain95);
  EXPECT_EQ(older.version, 1);
  EXPECT_STREQ(older.className, "RICHEDIT");
  EXPECT_TRUE(CanCreate(older.className));

  OlderSystem none;
  none.missingLibraries = {"riched20.dll", "riched32.dll"};
  EXPECT_EQ(LoadRichEdit(none).className, nullptr);
}

}  // namespace
}  // namespace cordalis
#endif
