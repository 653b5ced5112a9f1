// The windows' costs under Wine: the tree of a large catalogue on screen, a
// selection change, the controls pane, the start-up with the shipped
// catalogue, and Wine's own cost of making controls, for comparison.
#include <windows.h>

#include <commctrl.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "app/win32/main_window.h"
#include "app/win32/tree_view.h"
#include "host/text_collation.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/recording_message_boxes.h"
#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry_api.h"
#include "host/win32/profile_settings_store.h"
#include "host/win32/system_libraries.h"
#include "host/win32/win32_text_collation.h"
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
