#pragma once
// Root codes, root bits, the roots the user may change, and the texts built on them.
#include <string>
#include <string_view>

#include "host/registry_api.h"

namespace cordalis {

class HostQueries;

enum RootBit : int {
  rbHKCU = 1,
  rbHKCR = 2,
  rbHKCC = 4,
  rbHKLM = 8,
  rbHKU = 16,
};

// The predefined root of "HKCR", "HKCU", "HKLM", "HKU" or "HKCC" (letter case
// significant); 0 for anything else.
HKey RootFromCode(std::string_view code);
// The root bit of a valid root code; 0 for an invalid one.
int RootBitOfCode(std::string_view code);

// Whether the user may create a key under the root (under "SOFTWARE\" of
// HKEY_LOCAL_MACHINE and ".Default\" of HKEY_USERS): a key with a fresh GUID
// name is created and deleted again. An existing key is never touched.
bool ProbeWritableRoot(RegistryApi& registry, HostQueries& host, HKey root);
// The bits of the roots the probe finds writable.
int WritableRootSet(RegistryApi& registry, HostQueries& host);

// The names of the set's roots as an English list with a serial comma.
std::string RootListText(int rootSet);

// "%windir%" and "%sysdir%" in any letter case replaced by the two folders.
std::string ExpandDirectoryPlaceholders(std::string_view text, const std::string& windowsDirectory,
                                        const std::string& systemDirectory);
// Environment references expanded; the text itself when it has no "%" or expands to nothing.
std::string ExpandEnvironmentReferences(HostQueries& host, const std::string& text);

// A GUID in its Registry text form: braces, 8-4-4-4-12 upper-case hex digits.
std::string GuidText(const std::uint8_t (&bytes)[16]);

}  // namespace cordalis
