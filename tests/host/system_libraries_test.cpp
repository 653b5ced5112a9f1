// The run-time fallbacks for what Windows 95 and NT 4.0 lack, checked against
// the real Windows libraries with some of them hidden.
#ifdef _WIN32
#include "host/win32/system_libraries.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <set>
#include <string>

#include "host/text.h"
#include "host/win32/system_library_path.h"
#include "support/build_path.h"
#include "support/temp_dir.h"

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

std::string SystemFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder, length);
}

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
  const RichEditClass missing = LoadRichEdit(none);
  EXPECT_EQ(missing.className, nullptr);
  EXPECT_EQ(missing.missing, "neither " + SystemFolder() + "\\riched20.dll nor " + SystemFolder() +
                                 "\\riched32.dll can be loaded")
      << "the paths tried";
}

// A library of a name the program loads, planted in the current folder (beside
// a document the user opened from there) is not the one loaded.
TEST(SystemLibraries, ALibraryIsLoadedFromTheSystemFolderNeverFromTheCurrentOne) {
  testing::TempDir dir;
  constexpr char kName[] = "cordalisplanted.dll";
  ASSERT_TRUE(CopyFileA(testing::BuildPath(CORDALIS_PLANTED_LIBRARY).c_str(), dir.File(kName).c_str(), TRUE));
  char before[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, before), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Str().c_str()));
  HMODULE byName = LoadLibraryA(kName);
  HMODULE byPath = LoadSystemLibrary(kName);
  HMODULE byPort = SystemLibraries().Load(kName);  // as the rich edit is loaded
  SetCurrentDirectoryA(before);
  ASSERT_NE(byName, nullptr) << "the plant is found by a bare name";
  FreeLibrary(byName);
  EXPECT_EQ(byPath, nullptr) << "loaded from the current folder";
  EXPECT_EQ(byPort, nullptr) << "loaded from the current folder";
  EXPECT_EQ(SystemLibraryPath(kName), SystemFolder() + "\\" + kName);
}

}  // namespace
}  // namespace cordalis
#endif
