#pragma once
// TNoteForm: the dialog in which the user writes a tweak's note. It lives only
// while one note is edited; its place and size are kept in "NoteForm Settings".
#include <windows.h>

#include <optional>
#include <string>

#include "host/settings_store.h"
#include "host/win32/window.h"

namespace cordalis {

class TNoteForm final : public Dialog {
 public:
  TNoteForm(SettingsStore& settings, HFONT font, std::string title, std::string note, int pixelsPerInch);
  // The memo's text when the user pressed OK; nothing when the dialog was cancelled.
  std::optional<std::string> Edit(HINSTANCE instance, HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Initialise();
  void Layout();  // FormResize: the title line grows with its wrapped text
  void SavePlacement();
  int Scale(int pixels) const { return MulDiv(pixels, ppi_, 96); }

  SettingsStore& settings_;
  HFONT font_;
  std::string title_;
  std::string note_;
  int ppi_;
  std::optional<std::string> result_;
};

}  // namespace cordalis
