// One contract for the rich-text panes: the recording pane of the tests and,
// on Windows, the rich edit (RichEdit 2.0 and 1.0) give the same answers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/plain_text_search.h"
#include "doubles/recording_rich_text.h"
#include "engine/rich_text.h"
#ifdef _WIN32
#include "app/win32/rich_edit_pane.h"
#include "app/win32/rich_edit_search.h"
#include "host/win32/system_libraries.h"
#endif

namespace cordalis {
namespace {

// A pane and its search, as one implementation provides them.
struct Panes {
  virtual ~Panes() = default;
  virtual RichTextPane& Pane() = 0;
  virtual TextSearch& Search() = 0;
};

struct RecordingPanes final : Panes {
  RichTextPane& Pane() override { return pane; }
  TextSearch& Search() override { return search; }
  RecordingRichText pane;
  PlainTextSearch search;
};

#ifdef _WIN32
// The rich edits on a window of their own, as the main window holds them.
struct RichEditPanes final : Panes {
  explicit RichEditPanes(bool versionOne) {
    class Without20 final : public SystemLibraries {
      HMODULE Load(const char* name) override {
        return std::string(name) == "riched20.dll" ? nullptr : SystemLibraries::Load(name);
      }
    } older;
    const RichEditClass richEdit = versionOne ? LoadRichEdit(older) : LoadRichEdit(RealSystemLibraries());
    WNDCLASSA holder{};
    holder.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) CALLBACK -> LRESULT {
      if (message == WM_NOTIFY && RichEditPane::RouteNotify(*reinterpret_cast<const NMHDR*>(lParam))) return 0;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    };
    holder.hInstance = GetModuleHandleA(nullptr);
    holder.lpszClassName = "CordalisPaneHolder";
    RegisterClassA(&holder);
    parent = CreateWindowExA(0, "CordalisPaneHolder", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    pane = std::make_unique<RichEditPane>(parent, GetModuleHandleA(nullptr), richEdit, 1);
    MoveWindow(pane->Handle(), 0, 0, 300, 200, FALSE);
    pane->SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), "MS Sans Serif", 8);
    hidden = std::make_unique<RichEditPane>(parent, GetModuleHandleA(nullptr), richEdit, 2);
    search = std::make_unique<RichEditSearch>(hidden->Handle(), richEdit.version >= 2);
  }
  ~RichEditPanes() override {
    pane.reset();
    hidden.reset();
    DestroyWindow(parent);
  }
  RichTextPane& Pane() override { return *pane; }
  TextSearch& Search() override { return *search; }
  HWND parent;
  std::unique_ptr<RichEditPane> pane, hidden;
  std::unique_ptr<RichEditSearch> search;
};
#endif

struct Implementation {
  const char* name;
  std::function<std::unique_ptr<Panes>()> make;
};

class RichTextContract : public ::testing::TestWithParam<Implementation> {
 protected:
  RichTextContract() : panes(GetParam().make()) {}
  std::unique_ptr<Panes> panes;
};

TEST_P(RichTextContract, RunsInsertedAnywhereReadBackAsOneText) {
  RichTextPane& pane = panes->Pane();
  pane.Clear();
  pane.SetParagraphIndents(8, 8, 0);
  pane.Insert("\r\n\r\n", Face::Pane, stNone);
  pane.Insert("In Registry key ", Face::Pane, stNone);
  pane.Insert("HKCU\\Software\\{x}", Face::Courier, stNone);
  pane.Insert(" caf\xE9.", Face::Pane, stItalic);
  pane.MoveToStart();
  pane.Insert("DO IT action:", Face::Pane, stUnderline);
  pane.Present();
  EXPECT_EQ(pane.Text(), "DO IT action:\r\n\r\nIn Registry key HKCU\\Software\\{x} caf\xE9.");
  pane.Clear();
  pane.Present();
  EXPECT_EQ(pane.Text(), "");
}

TEST_P(RichTextContract, SelectionCountsLineBreaksAsTheyWereWritten) {
  RichTextPane& pane = panes->Pane();
  pane.Clear();
  pane.Insert("Title (#T0007)\r\n", Face::Pane, stBold);
  pane.Insert("First line\r\nsecond line with the word here", Face::Pane, stNone);
  pane.MoveToStart();
  pane.Present();
  const std::string text = pane.Text();
  const int at = static_cast<int>(text.find("word"));
  pane.Select(at, 4);
  EXPECT_EQ(pane.SelectedText(), "word");
  pane.Select(0, 5);
  EXPECT_EQ(pane.SelectedText(), "Title");
  pane.SelectAll();
  EXPECT_EQ(pane.SelectedText(), text);
}

TEST_P(RichTextContract, TheRequestedHeightGrowsWithTheContent) {
  RichTextPane& pane = panes->Pane();
  pane.Clear();
  pane.Insert("one line", Face::Pane, stNone);
  pane.Present();
  const int one = pane.RequestedHeight();
  pane.Clear();
  pane.Insert("one\r\ntwo\r\nthree\r\nfour\r\nfive", Face::Pane, stNone);
  pane.Present();
  const int five = pane.RequestedHeight();
  EXPECT_GT(one, 0);
  EXPECT_GT(five, one * 3);
}

TEST_P(RichTextContract, SearchFindsTheFirstMatchByTheSameRules) {
  TextSearch& search = panes->Search();
  const std::string text = "Hide the Desktop (#T0012)\r\nHides desktop icons.\r\n\r\nMy notes: desktops";
  struct Case {
    const char* what;
    SearchOptions options;
    int expected;
  };
  const Case cases[] = {
      {"desktop", {}, 9},
      {"DESKTOP", {}, 9},
      {"desktop", {true, false}, 33},
      {"#T0012", {}, 18},
      {"notes", {}, 54},
      {"desktop", {true, true}, 33},
      {"desk", {false, true}, -1},
      {"absent", {}, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(search.FindIn(text, c.what, c.options), c.expected)
        << c.what << " case " << c.options.matchCase << " word " << c.options.wholeWord;
}

std::vector<Implementation> Implementations() {
  std::vector<Implementation> all = {{"Recording", [] { return std::make_unique<RecordingPanes>(); }}};
#ifdef _WIN32
  all.push_back({"RichEdit20", [] { return std::make_unique<RichEditPanes>(false); }});
  all.push_back({"RichEdit10", [] { return std::make_unique<RichEditPanes>(true); }});
#endif
  return all;
}

INSTANTIATE_TEST_SUITE_P(Panes, RichTextContract, ::testing::ValuesIn(Implementations()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cordalis
