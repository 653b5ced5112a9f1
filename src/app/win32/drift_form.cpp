#include "app/win32/drift_form.h"

#include <commctrl.h>

#include <string>

#include "app/win32/drift_form_ids.h"

namespace cordalis {
namespace {

struct Column {
  const char* caption;
  int dialogUnits;  // its width
};
constexpr Column kColumns[] = {
    {"Key", 110}, {"Value", 42}, {"Before DO IT", 50}, {"Written by DO IT", 62}, {"Now", 36},
};

// The answer of each button.
DriftChoice ChoiceOf(int command) {
  switch (command) {
    case IDC_UNDOALL: return DriftChoice::UndoAll;
    case IDC_KEEPNEWER: return DriftChoice::KeepNewer;
    default: return DriftChoice::Cancel;
  }
}

void SetCell(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list, column == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA, column == 0 ? 0 : row,
               reinterpret_cast<LPARAM>(&item));
}

}  // namespace

DriftChoice TDriftForm::Ask(HINSTANCE instance, HWND owner) {
  choice_ = DriftChoice::Cancel;
  ShowModal(instance, IDD_DRIFTFORM, owner);
  return choice_;
}

void TDriftForm::FillList() {
  HWND list = GetDlgItem(Handle(), IDC_DRIFTLIST);
  // Whole rows selected where comctl32 can (4.70 and later); earlier ones ignore it.
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  int index = 0;
  for (const Column& column : kColumns) {
    RECT width{0, 0, column.dialogUnits, 0};
    MapDialogRect(Handle(), &width);
    LVCOLUMNA lv{};
    lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lv.cx = width.right;
    lv.pszText = const_cast<char*>(column.caption);
    lv.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index++, reinterpret_cast<LPARAM>(&lv));
  }
  int row = 0;
  for (const DriftRow& drift : rows_) {
    const std::string cells[] = {drift.key, drift.value.empty() ? "(Default)" : drift.value, drift.before,
                                 drift.written, drift.now};
    for (int column = 0; column < 5; ++column) SetCell(list, row, column, cells[column]);
    ++row;
  }
}

INT_PTR TDriftForm::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FillList();
      // Enter keeps the newer data: putting the old back over it takes a choice.
      SetFocus(GetDlgItem(Handle(), IDC_KEEPNEWER));
      return FALSE;
    case WM_COMMAND: {
      const int command = LOWORD(wParam);
      if (command != IDC_UNDOALL && command != IDC_KEEPNEWER && command != IDCANCEL) return FALSE;
      choice_ = ChoiceOf(command);
      EndDialog(Handle(), command);
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(Handle(), IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace cordalis
