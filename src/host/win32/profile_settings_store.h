#pragma once
// The settings file through the Windows profile functions
// (GetPrivateProfileStringA, WritePrivateProfileStringA), which every Windows
// version from 95 and NT 4.0 on has.
#include <string>

#include "host/settings_store.h"

namespace cordalis {

class ProfileSettingsStore final : public SettingsStore {
 public:
  // path must be a full path: the profile functions look for a bare file
  // name in the Windows folder.
  explicit ProfileSettingsStore(std::string path);

  std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value) override;

 private:
  std::string path_;
};

}  // namespace cordalis
