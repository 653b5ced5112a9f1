#pragma once
// TAboutForm: the program's name and version, copyright, publication and
// author lines from its own version resource, its picture, and the platform.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/about_texts.h"
#include "host/win32/unique_handle.h"
#include "host/win32/window.h"

namespace cordalis {

class TAboutForm final : public Dialog {
 public:
  TAboutForm(std::string programPath, std::string platformText, int pixelsPerInch);
  ~TAboutForm() override;
  void Show(HINSTANCE instance, HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Initialise();
  void Place(int id, int left, int top, const std::string& text);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  int Scale(int pixels) const { return MulDiv(pixels, ppi_, 96); }

  HINSTANCE instance_ = nullptr;
  std::string programPath_;
  std::string platformText_;
  int ppi_;
  AboutTexts texts_;
  UniqueGdiObject font_;
  HIMAGELIST picture_ = nullptr;
};

}  // namespace cordalis
