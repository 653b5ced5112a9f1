#include "app/win32/about_form.h"

#include <commctrl.h>

#include "app/version_info.h"
#include "app/win32/about_form_ids.h"
#include "app/win32/file_version_block.h"

namespace cordalis {

TAboutForm::TAboutForm(std::string programPath, std::string platformText, int pixelsPerInch)
    : programPath_(std::move(programPath)), platformText_(std::move(platformText)), ppi_(pixelsPerInch) {}

TAboutForm::~TAboutForm() {
  if (picture_) ImageList_Destroy(picture_);
}

void TAboutForm::Show(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  ShowModal(instance, IDD_ABOUTFORM, owner);
}

// A label at its place, sized to its text in the box's font.
void TAboutForm::Place(int id, int left, int top, const std::string& text) {
  HWND label = GetDlgItem(Handle(), id);
  SetWindowTextA(label, text.c_str());
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, font_.get());
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  MoveWindow(label, Scale(left), Scale(top), size.cx + 2, metrics.tmHeight, TRUE);
}

void TAboutForm::Initialise() {
  // The message-box font of the system, for every control.
  const LOGFONTA font = SystemMessageFont();
  font_.Reset(CreateFontIndirectA(&font));
  for (int id : {IDC_LBLVERSION, IDC_LBLCOPYRIGHT, IDC_LBLPUBLICATION, IDC_LBLPUBDATE, IDC_LBLAUTHOR, IDC_LBLVER, IDOK})
    SendDlgItemMessageA(Handle(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  const std::vector<std::uint8_t> block = ReadFileVersionBlock(programPath_);
  texts_ = ComposeAboutTexts(TVerInfoObj::FromBlock(block), "Cordalis");
  SetWindowTextA(Handle(), texts_.caption.c_str());
  Place(IDC_LBLVERSION, 64, 8, texts_.version);
  Place(IDC_LBLCOPYRIGHT, 64, 32, texts_.copyright);
  Place(IDC_LBLPUBLICATION, 64, 64, texts_.publication);
  Place(IDC_LBLPUBDATE, 64, 80, texts_.pubDate);
  Place(IDC_LBLAUTHOR, 64, 96, texts_.author);
  Place(IDC_LBLVER, 64, 136, PlatformLine(platformText_));
  MoveWindow(GetDlgItem(Handle(), IDC_PANEL1), Scale(4), Scale(4), Scale(52), Scale(52), TRUE);
  MoveWindow(GetDlgItem(Handle(), IDOK), Scale(336), Scale(8), Scale(49), Scale(25), TRUE);

  // The picture "AboutMe", magenta transparent; a failure to load it is ignored.
  if (HBITMAP bitmap = LoadBitmapA(instance_, "AboutMe")) {
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    picture_ = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLORDDB | ILC_MASK, 1, 0);
    ImageList_AddMasked(picture_, bitmap, RGB(255, 0, 255));
    DeleteObject(bitmap);
  }

  // The client area 390 x 160, centred on the screen.
  RECT frame{0, 0, Scale(390), Scale(160)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
}

void TAboutForm::DrawPicture(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const int w = item.rcItem.right - item.rcItem.left, h = item.rcItem.bottom - item.rcItem.top;
  if (picture_) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(picture_, &cx, &cy);
    ImageList_Draw(picture_, 0, item.hDC, (w - cx) / 2, (h - cy) / 2, ILD_TRANSPARENT);
  } else if (HICON icon = LoadIconA(instance_, MAKEINTRESOURCEA(1))) {
    DrawIcon(item.hDC, (w - GetSystemMetrics(SM_CXICON)) / 2, (h - GetSystemMetrics(SM_CYICON)) / 2, icon);
  }
}

INT_PTR TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return TRUE;
    case WM_DRAWITEM:
      if (wParam == IDC_PANEL1) {
        DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORSTATIC: {
      // Transparent labels but the platform line; the version in red on a beta.
      HDC dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == IDC_LBLVER) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      } else {
        SetBkMode(dc, TRANSPARENT);
      }
      const bool red = texts_.beta && id == IDC_LBLVERSION;
      SetTextColor(dc, red ? RGB(255, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(Handle(), IDOK);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace cordalis
