#include "host/win32/profile_settings_store.h"

#include <windows.h>

#include <utility>

namespace cordalis {
namespace {

constexpr DWORD kFirstBufferSize = 256;
// A value longer than this is cut; no settings file of this program comes near it.
constexpr DWORD kMaxBufferSize = DWORD{4} << 20;

}  // namespace

ProfileSettingsStore::ProfileSettingsStore(std::string path) : path_(std::move(path)) {}

std::string ProfileSettingsStore::ReadString(const std::string& section, const std::string& key,
                                             const std::string& fallback) {
  std::string buffer;
  for (DWORD size = kFirstBufferSize;; size *= 2) {
    buffer.assign(size, '\0');
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(), size,
                                            path_.c_str());
    // A value cut to fit comes back as size - 1 characters (size - 2 from some
    // versions), so only a shorter one is known to be whole.
    if (length + 2 < size || size >= kMaxBufferSize) {
      buffer.resize(length < size ? length : size - 1);
      return buffer;
    }
  }
}

bool ProfileSettingsStore::WriteString(const std::string& section, const std::string& key,
                                       const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != FALSE;
}

}  // namespace cordalis
