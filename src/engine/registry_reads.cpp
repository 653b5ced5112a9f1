#include "engine/registry_reads.h"

#include "db/action_data.h"
#include "db/record_codes.h"
#include "host/registry.h"
#include "host/roots.h"
#include "host/text.h"

namespace cordalis {

std::string ReadCurrentData(RegistryApi& registry, std::string_view rootCode, const std::string& key,
                            const std::string& value, bool asHex, const std::string& fallback) {
  HKey root = RootFromCode(rootCode);
  if (root == 0) return fallback;
  TSuperReg2 reg(registry);
  reg.SetRootKey(root);
  if (!reg.OpenKeyReadOnly(key)) return fallback;
  try {
    return asHex ? reg.ReadValueHex(value, "") : reg.ReadValueText(value, fallback);
  } catch (const std::exception&) {
    return fallback;  // showing data never fails; a value that cannot be read shows as none
  }
}

std::string LookUpVariable(RegistryApi& registry, std::string_view source) {
  std::optional<VariableSource> parsed = ParseVariableSource(source);
  if (!parsed) return {};
  HKey root = RootFromCode(parsed->rootCode);
  if (root == 0) return {};
  TSuperReg2 reg(registry);
  reg.SetRootKey(root);
  if (!reg.OpenKeyReadOnly(parsed->key)) return {};
  try {
    return reg.ReadValueText(parsed->valueName, "");
  } catch (const std::exception&) {
    return {};
  }
}

std::string KeyWithVariable(const std::string& key, const std::string& variable) {
  std::string resolved = ReplaceAll(key, kVariableMarker, "\\" + variable + "\\");
  if (!resolved.empty() && resolved[0] == '\\') resolved.erase(0, 1);
  return resolved;
}

std::string Shorten(const std::string& text) { return text.size() > 60 ? text.substr(0, 60) + "..." : text; }

}  // namespace cordalis
