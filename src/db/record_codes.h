#pragma once
// The codes that tweak, action and undo-action rows carry, and their names.
#include <cstdint>
#include <string>
#include <string_view>

namespace cordalis {

enum ChangeType : int {
  ctAddKey = 0,
  ctChangeValue = 1,
  ctDeleteKey = 2,
  ctDeleteValue = 3,
  ctViewValue = 4,
};

// Data types are the Registry's own value type codes.
enum DataType : int {
  dtNone = 0,
  dtString = 1,
  dtExpand = 2,
  dtBinary = 3,
  dtDword = 4,
};

enum ControlKind : int {
  ckNone = 0,
  ckDrive = 1,
  ckFile = 2,
  ckFolder = 3,
  ckIcon = 4,
  ckMemo = 5,
  ckNum = 6,
  ckText = 7,
  ckTextB = 8,
  ckView = 9,
  ckToggle = 10,
  ckReadKeyVar = 11,
  ckExpand = 12,
};

// "Add key" ... "View value"; empty for a code outside 0..4.
std::string_view ChangeTypeName(int changeType);
// "(none)", "String", "Expand", "Binary", "DWORD"; empty for a code outside 0..4.
std::string_view DataTypeName(int dataType);
// "drive" ... "expand"; empty for 0 or a code outside 1..12.
std::string_view ControlKeyword(int kind);

// The control kind whose keyword equals the whole text, letter case ignored;
// 0 when none does. Applied to a whole Special field it gives the kind that the
// engine and the detail text use; applied to one piece, the controls pane's.
int KeywordCode(std::string_view text);

// "#T" and the number padded with zeros to at least four digits.
std::string TweakNumberText(std::int32_t twkId);

// True for exactly "HKCR", "HKCU", "HKLM", "HKU" and "HKCC", letter case significant.
bool IsValidRootCode(std::string_view code);

// The marker of a Registry variable in the Key of a "readkeyvar" action.
inline constexpr std::string_view kVariableMarker = "\\\\\\";

}  // namespace cordalis
