#pragma once
// The settings file read and written by this program itself, with the rules
// of the Windows profile functions: every call goes to the file, names are
// matched without regard to letter case, blanks around names and values are
// dropped, and a value in matching quotes is read without them. A write
// changes only the line of its key (or adds one) and leaves every other byte
// of the file as it was; the new file replaces the old one atomically.
#include <string>

#include "host/file_store.h"
#include "host/settings_store.h"

namespace cordalis {

class IniSettingsStore final : public SettingsStore {
 public:
  IniSettingsStore(std::string path, FileStore& files);

  std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value) override;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  FileStore& files_;
};

}  // namespace cordalis
