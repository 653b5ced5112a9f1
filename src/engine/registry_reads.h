#pragma once
// The two Registry reads shared by the detail text, the controls pane and DO IT.
#include <string>
#include <string_view>

namespace cordalis {

class RegistryApi;

// The current data of a value: its hex text (a missing value reads as empty)
// or its text form (a missing value reads as fallback). An invalid root code,
// a key that does not open or a value that cannot be read give fallback.
std::string ReadCurrentData(RegistryApi& registry, std::string_view rootCode, const std::string& key,
                            const std::string& value, bool asHex, const std::string& fallback);

// The Registry variable named by a variable source: a four-character root code,
// one separator, the key path, "\\" and the value name. Empty when not found.
std::string LookUpVariable(RegistryApi& registry, std::string_view source);

// Key with every variable marker replaced by "\", the variable and "\", and a
// leading "\" dropped from the result.
std::string KeyWithVariable(const std::string& key, const std::string& variable);

// Texts longer than 60 characters as their first 60 and "...".
std::string Shorten(const std::string& text);

}  // namespace cordalis
