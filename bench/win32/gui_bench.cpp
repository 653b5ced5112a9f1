// The windows' costs under Wine: the tree of a large catalogue on screen, a
// selection change, the controls pane, the start-up with the shipped
// catalogue, the shipped 32-bit program's slowest selections, and Wine's own
// cost of making controls, for comparison.
#include <windows.h>

#include <commctrl.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "app/tree_state_marks.h"
#include "app/win32/main_window.h"
#include "app/win32/tree_view.h"
#include "host/text_collation.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/schema.h"
#include "doubles/recording_message_boxes.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry_api.h"
#include "host/win32/profile_settings_store.h"
#include "host/win32/system_libraries.h"
#include "host/win32/win32_text_collation.h"
#include "support/build_path.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::RowText;

// A catalogue of n tweaks in ten categories of ten subcategories, one action
// each, and any extra tweaks a benchmark needs; the tables beside no program.
struct Catalogue {
  explicit Catalogue(int n, std::vector<RowText> extraTweaks = {}, std::vector<RowText> extraActions = {}) {
    std::mt19937 random(7);
    const char* words[] = {"Show", "Hide", "Speed", "menus", "icons", "the", "desktop", "network", "logon", "files"};
    std::vector<RowText> tweaks, actions;
    for (int id = 1; id <= n; ++id) {
      std::string title;
      for (int w = 0; w < 4; ++w) title += std::string(w ? " " : "") + words[random() % 10];
      tweaks.push_back({std::to_string(id), "FALSE", "Category " + std::to_string(id % 10),
                        "Sub " + std::to_string((id / 10) % 10), title + " " + std::to_string(id), "About it."});
      actions.push_back({std::to_string(id), "HKCU", "Software\\CordalisBench\\K" + std::to_string(id % 50), "V", "1",
                         "1", "", "x", "63"});
    }
    tweaks.insert(tweaks.end(), extraTweaks.begin(), extraTweaks.end());
    actions.insert(actions.end(), extraActions.begin(), extraActions.end());
    testing::WriteTable(SystemFileStore(), dir.File("Twks.xml"), Tdm1::TweakFields(), tweaks);
    testing::WriteTable(SystemFileStore(), dir.File("Data.xml"), Tdm1::ActionFields(), actions);
    Finish();
  }
  explicit Catalogue(const std::string& shipped) {
    for (const char* name : {"Twks.xml", "Data.xml"})
      std::filesystem::copy_file(shipped + "/" + name, dir.File(name));
    Finish();
  }
  void Finish() {
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
  }
  testing::TempDir dir;
};

// The program's window and tables in this process, on the real Registry.
struct Program {
  explicit Program(const Catalogue& catalogue)
      : environment(SystemHostQueries()), settings(catalogue.dir.File("cordalis.INI")) {
    static const bool registered = [] {
      InitialiseCommonControls(RealSystemLibraries());
      TMainForm::RegisterClasses(GetModuleHandleA(nullptr));
      return true;
    }();
    (void)registered;
    form = std::make_unique<TMainForm>(MainWindowSetup{GetModuleHandleA(nullptr), SystemRegistry(), SystemHostQueries(),
                                                       environment.Facts(), boxes, settings, collation, {},
                                                       catalogue.dir.File("cordalis.exe")});
    dm = std::make_unique<Tdm1>(engine, SystemFileStore(), boxes, catalogue.dir.Str());
    form->Model().Attach(*dm);
  }
  // The first activation builds the tree and selects a tweak; then the window paints.
  void Show() {
    ShowWindow(form->Handle(), SW_SHOW);
    form->Model().Activated();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  void Select(int node) {
    form->Model().RightClicked(node);  // as a click selects: through the tree control
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  int NodeOf(std::int32_t twkId) { return form->Model().Tree().IndexOfTweak(twkId); }

  HostEnvironment environment;
  ProfileSettingsStore settings;
  Win32TextCollation collation;
  testing::RecordingMessageBoxes boxes;
  XmlPacketEngine engine{SystemFileStore()};
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<Tdm1> dm;
};

void BM_TreeShown(benchmark::State& state) {
  const Catalogue catalogue(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto program = std::make_unique<Program>(catalogue);
    state.ResumeTiming();
    program->Show();
    state.PauseTiming();
    program.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TreeShown)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExpandAll(benchmark::State& state) {
  const Catalogue catalogue(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto program = std::make_unique<Program>(catalogue);
    program->Show();
    state.ResumeTiming();
    program->form->Model().Execute(cmdExpandAll);
    state.PauseTiming();
    program.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ExpandAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Opening a category of 100 tweaks in a tree control of its own, each tweak
// of two actions on values of the real Registry (half of them set), with its
// state worked out and shown (1: as the window does, through the model) or
// without states (0).
void BM_OpenCategoryOf100Tweaks(benchmark::State& state) {
  const std::string key = "Software\\CordalisBench\\States";
  std::vector<RowText> tweaks = {{"1", "FALSE", "A first", "", "Selected at the start", "About it."}}, actions;
  actions.push_back({"1", "HKCU", key, "First", "4", "1", "", "1", "63"});
  HKEY values = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &values, nullptr);
  const DWORD one = 1;
  for (int id = 2; id <= 101; ++id) {
    const std::string n = std::to_string(id);
    tweaks.push_back({n, "FALSE", "Bench", "", "Tweak " + n, "About it."});
    actions.push_back({n, "HKCU", key, "V" + n + "a", "4", "1", "", "1", "63"});
    actions.push_back({n, "HKCU", key, "V" + n + "b", "4", "1", "", "1", "63"});
    if (id % 2 == 0)
      RegSetValueExA(values, ("V" + n + "a").c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  }
  RegCloseKey(values);
  {
    const Catalogue catalogue(0, tweaks, actions);
    Program program(catalogue);
    program.Show();
    MainFormModel& model = program.form->Model();
    const int category = model.Tree().CategoryOf(model.Tree().IndexOfTweak(2));
    HWND host = CreateWindowExA(0, WC_STATICA, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 800, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    TreeView view(host, GetModuleHandleA(nullptr), 1);
    MoveWindow(view.Handle(), 0, 0, 400, 800, TRUE);
    if (state.range(0) != 0)
      view.imagesOf = [&model](const std::vector<int>& nodes) { return model.TreeImages(nodes); };
    for (auto _ : state) {
      state.PauseTiming();
      model.Execute(cmdRefresh);  // every state forgotten
      TweakTree tree = model.Tree();
      view.Show(tree);
      UpdateWindow(host);
      state.ResumeTiming();
      view.Apply(tree, tree.Expand(category));
      UpdateWindow(view.Handle());
    }
    // The states were worked out: the first tweak has one of its two values.
    const int first = model.Tree().IndexOfTweak(2);
    if (state.range(0) != 0 && model.TreeImages({first}).front() != kPartlyImage)
      state.SkipWithError("the tweaks' states were not worked out");
    DestroyWindow(host);
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}
BENCHMARK(BM_OpenCategoryOf100Tweaks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Description, detail and layout of a tweak of 50 actions.
void BM_SelectTweakOf50Actions(benchmark::State& state) {
  std::vector<RowText> actions;
  for (int i = 0; i < 50; ++i)
    actions.push_back({"900000", "HKCU", "Software\\CordalisBench\\Fifty" + std::to_string(i % 5),
                       "Value" + std::to_string(i), "1", "1", "", "data " + std::to_string(i), "63"});
  const Catalogue catalogue(10, {{"900000", "FALSE", "Big", "", "Fifty actions", "A tweak of fifty actions."}},
                            actions);
  Program program(catalogue);
  program.Show();
  const int fifty = program.NodeOf(900000), other = program.NodeOf(1);
  for (auto _ : state) {
    program.Select(fifty);
    state.PauseTiming();
    program.Select(other);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SelectTweakOf50Actions)->Unit(benchmark::kMillisecond);

// The start-up once the process runs: the window, the tables and the tree.
void BM_StartWithTheShippedCatalogue(benchmark::State& state) {
  const Catalogue catalogue(std::string(CORDALIS_SOURCE_DIR) + "/catalogue");
  for (auto _ : state) {
    auto program = std::make_unique<Program>(catalogue);
    program->Show();
    state.PauseTiming();
    program.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartWithTheShippedCatalogue)->Unit(benchmark::kMillisecond)->Iterations(10);

// The shipped catalogue's largest pane: built, shown and laid out.
void BM_LargestShippedPane(benchmark::State& state) {
  const Catalogue catalogue(std::string(CORDALIS_SOURCE_DIR) + "/catalogue");
  Program program(catalogue);
  program.Show();
  const int largest = program.NodeOf(176), plain = program.NodeOf(19);
  for (auto _ : state) {
    program.Select(largest);
    state.PauseTiming();
    program.Select(plain);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LargestShippedPane)->Unit(benchmark::kMillisecond);

// The slowest selection of the shipped tweaks with the largest panes (176,
// 165, 170) in the shipped 32-bit program, with Wine reporting Windows XP to
// it: each selection and the repaint it brings, measured from outside the
// program as a user's click would run it. The program is the win32 preset's
// (cmake --build --preset win32), or the one CORDALIS_SHIPPED_EXE names.
void BM_ShippedProgramSlowestSelection(benchmark::State& state) {
  const char* named = std::getenv("CORDALIS_SHIPPED_EXE");
  const std::string exe = named ? named : testing::BuildPath(CORDALIS_SHIPPED_EXE);
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
    state.SkipWithError(("no shipped program at " + exe + ": build the win32 preset").c_str());
    return;
  }
  const Catalogue catalogue(std::string(CORDALIS_SOURCE_DIR) + "/catalogue");
  const std::string copy = catalogue.dir.File("cordalis.exe");
  CopyFileA(exe.c_str(), copy.c_str(), FALSE);
  std::vector<std::string> titles;  // the three large panes, and a plain tweak to start each from
  {
    testing::RecordingMessageBoxes boxes;
    XmlPacketEngine engine(SystemFileStore());
    Tdm1 dm(engine, SystemFileStore(), boxes, catalogue.dir.Str());
    for (std::int32_t twkId : {176, 165, 170, 19}) {
      if (!dm.LocateTweak(twkId)) return state.SkipWithError("a tweak of the benchmark is not in the catalogue");
      titles.push_back(dm.cdsTwks.AsString(schema::kTitle));
    }
  }
  const char* const versionKey = "Software\\Wine\\AppDefaults\\cordalis.exe";
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, versionKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
  RegCloseKey(key);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + copy + "\"";
  const std::string folder = catalogue.dir.Str();
  if (!CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process)) {
    RegDeleteKeyA(HKEY_CURRENT_USER, versionKey);
    return state.SkipWithError("the shipped program does not start");
  }
  WaitForInputIdle(process.hProcess, 20000);
  HWND window = nullptr;
  for (int i = 0; i < 800 && window == nullptr; ++i) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "TMainForm", nullptr)) != nullptr;) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == process.dwProcessId && IsWindowVisible(w)) window = w;
    }
    if (window == nullptr) WaitForSingleObject(process.hProcess, 25);
  }
  HWND treeWindow = nullptr;  // tv1, control id 300
  if (window != nullptr)
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) CALLBACK -> BOOL {
          if (GetDlgCtrlID(child) != 300) return TRUE;
          *reinterpret_cast<HWND*>(found) = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&treeWindow));
  if (treeWindow != nullptr) {
    testing::RemoteTree tree(treeWindow, process.hProcess);
    std::vector<HTREEITEM> items;
    for (const std::string& title : titles) items.push_back(tree.Find(title));
    const auto select = [&](HTREEITEM item) {
      SendMessageA(treeWindow, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    for (auto _ : state) {
      double slowest = 0;
      for (std::size_t i = 0; i < 3; ++i) {
        select(items[3]);
        const auto start = std::chrono::steady_clock::now();
        select(items[i]);
        slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      }
      state.SetIterationTime(slowest);
    }
  } else {
    state.SkipWithError("the shipped program shows no tree");
  }
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  RegDeleteKeyA(HKEY_CURRENT_USER, versionKey);
}
BENCHMARK(BM_ShippedProgramSlowestSelection)->UseManualTime()->Unit(benchmark::kMillisecond);

// A pane of 50 number groups (label, box and arrows: 150 controls), made and
// then removed again, per control.
void BM_PaneOf50Groups(benchmark::State& state) {
  std::vector<RowText> actions;  // one group each: the pieces of fifty would not fit one Data field
  for (int i = 0; i < 50; ++i)
    actions.push_back({"900001", "HKCU", "Software\\CordalisBench\\Numbers", "V" + std::to_string(i), "4", "1", "num",
                       "Number " + std::to_string(i) + "|0|100|1|5", "63"});
  const Catalogue catalogue(10, {{"900001", "FALSE", "Big", "", "Fifty numbers", "Fifty number boxes."}}, actions);
  Program program(catalogue);
  program.Show();
  const int numbers = program.NodeOf(900001), category = 1;
  const bool making = state.range(0) == 1;
  for (auto _ : state) {
    if (!making) state.PauseTiming();
    program.Select(numbers);
    if (!making) state.ResumeTiming();
    if (making) state.PauseTiming();
    program.Select(category);
    if (making) state.ResumeTiming();
  }
  state.counters["per control"] =
      benchmark::Counter(150, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel(making ? "make" : "remove");
}
BENCHMARK(BM_PaneOf50Groups)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Wine's own cost of the same 150 controls, made and destroyed with redraw off.
void BM_Win32Make150Controls(benchmark::State& state) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  for (auto _ : state) {
    SendMessageA(parent, WM_SETREDRAW, FALSE, 0);
    std::vector<HWND> made;
    for (int i = 0; i < 50; ++i) {
      made.push_back(CreateWindowExA(0, WC_STATICA, "Number", WS_CHILD | WS_VISIBLE, 8, i * 30, 100, 13, parent,
                                     nullptr, nullptr, nullptr));
      HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, WC_EDITA, "5", WS_CHILD | WS_VISIBLE, 120, i * 30, 34, 21, parent,
                                  nullptr, nullptr, nullptr);
      made.push_back(edit);
      HWND arrows = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT, 154, i * 30, 16, 21,
                                    parent, nullptr, nullptr, nullptr);
      SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
      made.push_back(arrows);
    }
    SendMessageA(parent, WM_SETREDRAW, TRUE, 0);
    for (auto it = made.rbegin(); it != made.rend(); ++it) DestroyWindow(*it);
  }
  state.counters["per control"] =
      benchmark::Counter(150, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  DestroyWindow(parent);
}
BENCHMARK(BM_Win32Make150Controls)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cordalis
