#pragma once
// The topics of the help file that the program opens by name. The help
// source gives each its name, and the build checks that the help file it
// writes holds every one, so a renamed topic cannot ship unnoticed.
#include <string>

namespace cordalis {

inline constexpr char kHelpTopicFind[] = "find";

// Halibut's help files map no context numbers, only names; WinHelp 4 on every
// system from Windows 95 to XP opens a topic by name with this macro.
inline std::string JumpToTopicMacro(const std::string& topic) { return "JI(`',`" + topic + "')"; }

}  // namespace cordalis
