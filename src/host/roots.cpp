#include "host/roots.h"

#include <cstdio>

#include "host/host_queries.h"
#include "host/registry.h"
#include "host/text.h"

namespace cordalis {

HKey RootFromCode(std::string_view code) {
  if (code == "HKCR") return kHkeyClassesRoot;
  if (code == "HKCU") return kHkeyCurrentUser;
  if (code == "HKLM") return kHkeyLocalMachine;
  if (code == "HKU") return kHkeyUsers;
  if (code == "HKCC") return kHkeyCurrentConfig;
  return 0;
}

int RootBitOfCode(std::string_view code) {
  switch (RootFromCode(code)) {
    case kHkeyCurrentUser: return rbHKCU;
    case kHkeyClassesRoot: return rbHKCR;
    case kHkeyCurrentConfig: return rbHKCC;
    case kHkeyLocalMachine: return rbHKLM;
    case kHkeyUsers: return rbHKU;
    default: return 0;
  }
}

std::string GuidText(const std::uint8_t (&b)[16]) {
  // The first three groups are little-endian numbers in a GUID's bytes.
  char text[39];
  std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

bool ProbeWritableRoot(RegistryApi& registry, HostQueries& host, HKey root) {
  TRegistry reg(registry);
  reg.SetRootKey(root);
  const std::string prefix = root == kHkeyLocalMachine ? "SOFTWARE\\" : root == kHkeyUsers ? ".Default\\" : "";
  try {
    std::string path;
    do {
      std::array<std::uint8_t, 16> guid = host.NewGuid();
      std::uint8_t bytes[16];
      std::copy(guid.begin(), guid.end(), bytes);
      path = prefix + GuidText(bytes);
    } while (reg.KeyExists(path));
    reg.CreateKey(path);
    reg.DeleteKey(path);
    return true;
  } catch (const ERegistryException&) {
    return false;
  }
}

int WritableRootSet(RegistryApi& registry, HostQueries& host) {
  int set = 0;
  const std::pair<HKey, int> order[] = {{kHkeyCurrentUser, rbHKCU},
                                        {kHkeyClassesRoot, rbHKCR},
                                        {kHkeyCurrentConfig, rbHKCC},
                                        {kHkeyLocalMachine, rbHKLM},
                                        {kHkeyUsers, rbHKU}};
  for (const auto& [root, bit] : order)
    if (ProbeWritableRoot(registry, host, root)) set |= bit;
  return set;
}

std::string RootListText(int rootSet) {
  const std::pair<int, const char*> names[] = {{rbHKCU, "HKEY_CURRENT_USER"},
                                               {rbHKCR, "HKEY_CLASSES_ROOT"},
                                               {rbHKCC, "HKEY_CURRENT_CONFIG"},
                                               {rbHKLM, "HKEY_LOCAL_MACHINE"},
                                               {rbHKU, "HKEY_USERS"}};
  std::vector<std::string> listed;
  for (const auto& [bit, name] : names)
    if (rootSet & bit) listed.push_back(name);
  if (listed.size() <= 1) return listed.empty() ? std::string() : listed[0];
  if (listed.size() == 2) return listed[0] + " and " + listed[1];
  std::string text;
  for (std::size_t i = 0; i < listed.size(); ++i)
    text += (i == 0 ? "" : i + 1 == listed.size() ? ", and " : ", ") + listed[i];
  return text;
}

std::string ExpandDirectoryPlaceholders(std::string_view text, const std::string& windowsDirectory,
                                        const std::string& systemDirectory) {
  return ReplaceAllIgnoreCase(ReplaceAllIgnoreCase(text, "%windir%", windowsDirectory), "%sysdir%", systemDirectory);
}

std::string ExpandEnvironmentReferences(HostQueries& host, const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  std::string expanded = host.ExpandEnvironment(text);
  return expanded.empty() ? text : expanded;
}

}  // namespace cordalis
