#include "engine/registry_reads.h"

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
  HKey root = RootFromCode(source.substr(0, 4));
  if (root == 0) return {};
  std::string_view rest = source.size() > 5 ? source.substr(5) : std::string_view();
  std::size_t split = rest.find("\\\\");
  if (split == std::string_view::npos) return {};
  TSuperReg2 reg(registry);
  reg.SetRootKey(root);
  if (!reg.OpenKeyReadOnly(std::string(rest.substr(0, split)))) return {};
  try {
    return reg.ReadValueText(std::string(rest.substr(split + 2)), "");
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
