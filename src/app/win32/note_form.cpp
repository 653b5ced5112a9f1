#include "app/win32/note_form.h"

#include <algorithm>

#include "app/win32/note_form_ids.h"
#include "app/window_placement.h"

namespace cordalis {
namespace {

constexpr int kDesignWidth = 378, kDesignHeight = 249;
constexpr int kMinWidth = 300, kMinHeight = 200;
constexpr int kMaxNote = 4096;  // the width of the Note field: a note is never cut in silence

enum MemoCommand : UINT { mcUndo = 1, mcCut, mcCopy, mcPaste, mcDelete, mcSelectAll };

void MemoMenu(HWND memo, LPARAM at) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, mcUndo, "&Undo\tCtrl+Z");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, mcCut, "Cu&t\tCtrl+X");
  AppendMenuA(menu, MF_STRING, mcCopy, "&Copy\tCtrl+C");
  AppendMenuA(menu, MF_STRING, mcPaste, "&Paste\tCtrl+V");
  AppendMenuA(menu, MF_STRING, mcDelete, "&Delete\tDel");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, mcSelectAll, "Select &All\tCtrl+A");
  POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (at == -1) GetCursorPos(&p);
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, memo, nullptr);
  DestroyMenu(menu);
  switch (chosen) {
    case mcUndo: SendMessageA(memo, WM_UNDO, 0, 0); break;
    case mcCut: SendMessageA(memo, WM_CUT, 0, 0); break;
    case mcCopy: SendMessageA(memo, WM_COPY, 0, 0); break;
    case mcPaste: SendMessageA(memo, WM_PASTE, 0, 0); break;
    case mcDelete: SendMessageA(memo, WM_CLEAR, 0, 0); break;
    case mcSelectAll: SendMessageA(memo, EM_SETSEL, 0, -1); break;
    default: break;
  }
}

// The memo's pop-up menu pmAnno, Ctrl+A, and Escape, which cancels the dialog
// from anywhere, also from inside the memo.
LRESULT CALLBACK MemoProcedure(HWND memo, UINT message, WPARAM wParam, LPARAM lParam) {
  return SubclassMessage(memo, message, wParam, lParam, [&](const auto& callOn) {
    switch (message) {
      case WM_CONTEXTMENU:
        MemoMenu(memo, lParam);
        return LRESULT{0};
      case WM_KEYDOWN:
        if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0) {
          SendMessageA(memo, EM_SETSEL, 0, -1);
          return LRESULT{0};
        }
        if (wParam == VK_ESCAPE) {
          PostMessageA(GetParent(memo), WM_COMMAND, IDCANCEL, 0);
          return LRESULT{0};
        }
        break;
      case WM_CHAR:
        if (wParam == 1 /* Ctrl+A */ || wParam == VK_ESCAPE) return LRESULT{0};
        break;
    }
    return callOn();
  });
}

WindowPlacement PlacementOf(HWND window) {
  WINDOWPLACEMENT now{};
  now.length = sizeof now;
  GetWindowPlacement(window, &now);
  return {static_cast<std::int32_t>(now.flags), static_cast<std::int32_t>(now.showCmd), now.ptMinPosition.x,
          now.ptMinPosition.y, now.ptMaxPosition.x, now.ptMaxPosition.y,
          {now.rcNormalPosition.left, now.rcNormalPosition.top, now.rcNormalPosition.right,
           now.rcNormalPosition.bottom}};
}

}  // namespace

TNoteForm::TNoteForm(SettingsStore& settings, HFONT font, std::string title, std::string note, int pixelsPerInch)
    : settings_(settings), font_(font), title_(std::move(title)), note_(std::move(note)), ppi_(pixelsPerInch) {}

std::optional<std::string> TNoteForm::Edit(HINSTANCE instance, HWND owner) {
  result_.reset();
  ShowModal(instance, IDD_NOTEFORM, owner);
  return result_;
}

void TNoteForm::Initialise() {
  for (int id : {IDC_STWHAT, IDC_MEANNO, IDOK, IDCANCEL})
    SendDlgItemMessageA(Handle(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetDlgItemTextA(Handle(), IDC_STWHAT, title_.c_str());
  HWND memo = GetDlgItem(Handle(), IDC_MEANNO);
  SendMessageA(memo, EM_LIMITTEXT, kMaxNote, 0);
  SetWindowTextA(memo, note_.c_str());
  const int end = GetWindowTextLengthA(memo);
  SendMessageA(memo, EM_SETSEL, end, end);  // the insertion point after the last character
  Subclass(memo, MemoProcedure);

  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const WindowPlacement p =
      RestorePlacement(settings_, PlacementSection("NoteForm"), PlacementOf(Handle()), Scale(kDesignWidth),
                       Scale(kDesignHeight), {0, 0, work.right - work.left, work.bottom - work.top});
  WINDOWPLACEMENT next{};
  next.length = sizeof next;
  next.flags = static_cast<UINT>(p.flags);
  next.showCmd = SW_SHOWNORMAL;
  next.ptMinPosition = {p.minX, p.minY};
  next.ptMaxPosition = {p.maxX, p.maxY};
  next.rcNormalPosition = {p.normal.left, p.normal.top, p.normal.right, p.normal.bottom};
  SetWindowPlacement(Handle(), &next);
  Layout();
  SetFocus(memo);
}

void TNoteForm::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  HWND what = GetDlgItem(Handle(), IDC_STWHAT);
  // The title's wrapped height, measured in its own font.
  RECT text{0, 0, client.right - Scale(8), 0};
  HDC dc = GetDC(what);
  HGDIOBJ old = SelectObject(dc, font_);
  DrawTextA(dc, title_.c_str(), static_cast<int>(title_.size()), &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(what, dc);
  const int titleHeight = text.bottom + 2;
  const int panel = Scale(32);
  MoveWindow(what, Scale(4), Scale(4), client.right - Scale(8), titleHeight, TRUE);
  const int memoTop = Scale(4) + titleHeight + Scale(4);
  MoveWindow(GetDlgItem(Handle(), IDC_MEANNO), Scale(4), memoTop, client.right - Scale(8),
             std::max<int>(client.bottom - panel - memoTop, 0), TRUE);
  MoveWindow(GetDlgItem(Handle(), IDOK), Scale(6), client.bottom - panel + Scale(4), Scale(75), Scale(25), TRUE);
  MoveWindow(GetDlgItem(Handle(), IDCANCEL), Scale(86), client.bottom - panel + Scale(4), Scale(75), Scale(25), TRUE);
}

void TNoteForm::SavePlacement() { cordalis::SavePlacement(settings_, PlacementSection("NoteForm"), PlacementOf(Handle())); }

INT_PTR TNoteForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return FALSE;  // the focus is set: on the memo
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) result_ = WindowText(GetDlgItem(Handle(), IDC_MEANNO));
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        SavePlacement();
        EndDialog(Handle(), LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      SavePlacement();
      EndDialog(Handle(), IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace cordalis
