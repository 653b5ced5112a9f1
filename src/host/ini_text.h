#pragma once
// The text of a settings file (sections of key=value lines) read and edited
// by the rules of the Windows profile functions:
// - lines end at CR, LF or CR LF; blanks (tab to CR, Ctrl-Z, space) around a
//   line, a section name, a key and a value do not count;
// - "[name]" starts a section (text after the last "]" is ignored); any
//   other line names a key by its text before the first "=", and its value is
//   everything after that "="; a line without "=" is a key without a value;
// - section and key names match without regard to the case of A-Z; the
//   first section of a name is the one used, and its first key of a name;
// - a value enclosed in matching double or single quotes reads without them.
// Edits change one line or add lines, so every other byte stays as it was.
#include <optional>
#include <string>
#include <string_view>

namespace cordalis {

// The value of key in section, or nothing when the section or the key is
// missing or the key has no value.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section, std::string_view key);

// The text with key in section set to value: an existing key's line is
// rewritten in place, a new key is added after the last line of its section,
// a new section at the end of the text. Lines written end in CR LF.
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

// A default value as the profile functions give it back for a missing key:
// without its trailing spaces, then without quotes enclosing it.
std::string IniDefault(std::string_view fallback);

}  // namespace cordalis
