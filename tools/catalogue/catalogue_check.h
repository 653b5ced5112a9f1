#pragma once
// The faults a catalogue can have that the program itself would never report:
// it takes what it is given, so a wrong code or a missing piece shows only as a
// tweak that silently does the wrong thing.
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"

namespace cordalis::catalogue {

// Every fault of every tweak and action, tweaks in catalogue order.
std::vector<Problem> CheckCatalogue(const Catalogue& catalogue);

// Hex text as binary data is stored: two upper-case hexadecimal digits per
// byte, bytes separated by one blank; empty for no bytes.
bool IsHexText(std::string_view text);

// What is wrong with a "readkeyvar" variable source (HKCR, HKCU, HKLM or HKCC,
// "\", key path, "\\", value name); empty when nothing is.
std::string VariableSourceFault(std::string_view source);

}  // namespace cordalis::catalogue
