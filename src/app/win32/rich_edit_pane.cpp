#include "app/win32/rich_edit_pane.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace cordalis {
namespace {

constexpr const char* kPaneProperty = "CordalisRichEditPane";

struct StreamSource {
  const std::string* text;
  std::size_t done;
};

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* written) {
  return Guarded(DWORD{1}, [&] {  // not 0: the control stops reading
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(capacity), source->text->size() - source->done);
    std::memcpy(buffer, source->text->data() + source->done, n);
    source->done += n;
    *written = static_cast<LONG>(n);
    return DWORD{0};
  });
}

// The control's text with its line breaks written as "\r\n", as the port counts.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

// A pane is read, not typed into: Tab, Enter and Escape belong to the window
// (Tab goes on to the next control instead of staying in the pane), the
// arrows scroll, and reaching the pane by Tab leaves a found text selected
// instead of selecting everything.
LRESULT CALLBACK ReadOnlyPaneProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return SubclassMessage(hwnd, message, wParam, lParam, [&](const auto& callOn) {
    const LRESULT answer = callOn();
    if (message != WM_GETDLGCODE) return answer;
    return answer & ~static_cast<LRESULT>(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_HASSETSEL);
  });
}

}  // namespace

void StreamRtfInto(HWND richEdit, const std::string& rtf) {
  StreamSource source{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadChunk;
  SendMessageA(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

RichEditPane::RichEditPane(HWND parent, HINSTANCE instance, const RichEditClass& richEdit, int id)
    : breakIsOneCharacter_(richEdit.version >= 2) {
  if (richEdit.className == nullptr)
    throw std::runtime_error("Cordalis cannot find a rich edit control: " + richEdit.missing);
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, richEdit.className, "",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                              ES_AUTOVSCROLL | ES_NOHIDESEL | ES_DISABLENOSCROLL,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (hwnd_ == nullptr) throw std::runtime_error("Cordalis cannot create a rich edit control");
  SendMessageA(hwnd_, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
  SetPropA(hwnd_, kPaneProperty, reinterpret_cast<HANDLE>(this));
  Subclass(hwnd_, ReadOnlyPaneProcedure);
}

RichEditPane::~RichEditPane() {
  if (!IsWindow(hwnd_)) return;
  RemovePropA(hwnd_, kPaneProperty);
  DestroyWindow(hwnd_);
}

bool RichEditPane::RouteNotify(const NMHDR& header) {
  if (header.code != EN_REQUESTRESIZE) return false;
  auto* pane = reinterpret_cast<RichEditPane*>(GetPropA(header.hwndFrom, kPaneProperty));
  if (pane == nullptr) return false;
  // The control asks for its client area; the group sizes its window, whose
  // sunken edge is outside that area.
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(pane->hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(pane->hwnd_, GWL_EXSTYLE)));
  pane->requestedBottom_ = reinterpret_cast<const REQRESIZE&>(header).rc.bottom + (frame.bottom - frame.top);
  RECT client;
  GetClientRect(pane->hwnd_, &client);
  pane->requestedWidth_ = client.right;
  pane->contentChanged_ = false;
  return true;
}

void RichEditPane::SetFont(HFONT font, const std::string& faceName, int pointSize) {
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  font_.paneFace = faceName;
  font_.halfPoints = pointSize * 2;
  font_.codePage = static_cast<int>(GetACP());
}

void RichEditPane::SetBackground(int sysColour) {
  SendMessageA(hwnd_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(sysColour)));
}

void RichEditPane::Clear() { document_.Clear(); }

void RichEditPane::SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints) {
  document_.SetParagraphIndents(leftPoints, rightPoints, firstLinePoints);
}

void RichEditPane::Insert(const std::string& text, Face face, unsigned style) { document_.Insert(text, face, style); }

void RichEditPane::Present() {
  contentChanged_ = true;
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  StreamRtfInto(hwnd_, DocumentRtf(document_, font_));
  Select(document_.SelectionStart(), document_.SelectionLength());
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::string RichEditPane::Text() const { return WithCrLf(WindowText(hwnd_)); }

void RichEditPane::Select(int start, int length) {
  document_.Select(start, length);
  const std::string written = document_.Text();
  CHARRANGE range{ControlPosition(written, document_.SelectionStart(), breakIsOneCharacter_),
                  ControlPosition(written, document_.SelectionStart() + document_.SelectionLength(),
                                  breakIsOneCharacter_)};
  SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SendMessageA(hwnd_, EM_SCROLLCARET, 0, 0);
}

void RichEditPane::SelectAll() {
  document_.SelectAll();
  SendMessageA(hwnd_, EM_SETSEL, 0, -1);
}

std::string RichEditPane::SelectedText() const {
  CHARRANGE range{};
  SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  const std::string text = Text();
  const int start = WrittenPosition(text, range.cpMin, breakIsOneCharacter_);
  const int end = WrittenPosition(text, range.cpMax, breakIsOneCharacter_);
  return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(std::max(end - start, 0)));
}

void RichEditPane::Copy() { SendMessageA(hwnd_, WM_COPY, 0, 0); }

// The control tells its size when its content changes; it is asked again
// only when that answer is not for the present content and width, since
// asking makes it lay out its whole text.
int RichEditPane::RequestedHeight() {
  RECT client;
  GetClientRect(hwnd_, &client);
  if (contentChanged_ || client.right != requestedWidth_)
    SendMessageA(hwnd_, EM_REQUESTRESIZE, 0, 0);  // answered at once, through RouteNotify
  return requestedBottom_;
}

}  // namespace cordalis
