#pragma once
// TDriftForm: the values Undo found changed since DO IT, one row each (key,
// value, before DO IT, written by DO IT, now), and the user's answer.
#include <windows.h>

#include <vector>

#include "engine/undo_drift.h"
#include "host/win32/window.h"

namespace cordalis {

class TDriftForm final : public Dialog {
 public:
  explicit TDriftForm(const std::vector<DriftRow>& rows) : rows_(rows) {}
  // Cancel when the dialog is closed without an answer.
  DriftChoice Ask(HINSTANCE instance, HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillList();

  const std::vector<DriftRow>& rows_;
  DriftChoice choice_ = DriftChoice::Cancel;
};

}  // namespace cordalis
