#pragma once
// The settings file: sections of key=value lines (the Windows INI format)
// beside the program. On Windows the profile functions read and write it,
// each call going straight to the file; elsewhere a portable reader/writer
// does the same on a real file. One contract suite holds both to one behaviour.
#include <cstdint>
#include <string>

namespace cordalis {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value's text, or fallback when the file, the section or the key is
  // missing or the file cannot be read. As with the profile functions, blanks
  // around the value and a pair of quotes enclosing it are not part of it, and
  // the fallback loses its trailing spaces and then such quotes.
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) = 0;
  // Writes the value, creating the file and the section as needed; false when
  // the file cannot be written.
  virtual bool WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;

  // Integers are written in decimal; a missing or malformed value reads as fallback.
  std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback);
  bool WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
  // Booleans are written as "1" and "0"; any non-zero integer reads as true.
  bool ReadBoolean(const std::string& section, const std::string& key, bool fallback);
  bool WriteBoolean(const std::string& section, const std::string& key, bool value);
};

}  // namespace cordalis
