#include "host/settings_store.h"

#include "host/int_text.h"

namespace cordalis {

std::int32_t SettingsStore::ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) {
  return IntegerText(ReadString(section, key, ""), fallback);
}

bool SettingsStore::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) {
  return WriteString(section, key, IntegerToText(value));
}

bool SettingsStore::ReadBoolean(const std::string& section, const std::string& key, bool fallback) {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool SettingsStore::WriteBoolean(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

}  // namespace cordalis
