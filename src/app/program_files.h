#pragma once
// The files named after the program's executable, in its folder.
#include <string>
#include <string_view>

namespace cordalis {

// The path with the extension of its last part (from its last ".") replaced
// by extension, or extension appended when that part has none; a "." in a
// folder's name is not an extension. "\", "/" and ":" separate the parts.
std::string ChangeFileExtension(std::string_view path, std::string_view extension);

// The settings file: the executable's path with the extension ".INI".
std::string SettingsPathFor(std::string_view executablePath);
// The help file: the executable's path with the extension ".HLP".
std::string HelpPathFor(std::string_view executablePath);

}  // namespace cordalis
