#include "host/ini_settings_store.h"

#include <cstddef>
#include <optional>
#include <utility>

#include "host/ini_text.h"

namespace cordalis {
namespace {

// Far beyond any settings file this program writes; a larger file is not read.
constexpr std::size_t kMaxSettingsFileBytes = std::size_t{4} << 20;

}  // namespace

IniSettingsStore::IniSettingsStore(std::string path, FileStore& files) : path_(std::move(path)), files_(files) {}

std::string IniSettingsStore::ReadString(const std::string& section, const std::string& key,
                                         const std::string& fallback) {
  std::optional<std::string> value;
  try {
    value = FindIniValue(files_.Read(path_, kMaxSettingsFileBytes), section, key);
  } catch (const FileError&) {
    // A missing or unreadable file reads as one without the key.
  }
  return value ? *value : IniDefault(fallback);
}

bool IniSettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  try {
    std::string text;
    try {
      text = files_.Read(path_, kMaxSettingsFileBytes);
    } catch (const FileError&) {
      // A file that is there but cannot be read is not replaced by one
      // that would lose its content.
      if (files_.Exists(path_)) return false;
    }
    std::string changed = SetIniValue(text, section, key, value);
    if (changed != text) ReplaceFileAtomically(files_, path_, changed);
    return true;
  } catch (const FileError&) {
    return false;
  }
}

}  // namespace cordalis
