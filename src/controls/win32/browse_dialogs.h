#pragma once
// The dialogs behind the controls pane's "Browse..." buttons: the file-open
// dialog, the shell's folder browser and its icon picker. The decisions around
// them (starting points, what is accepted, what the labels show) are the
// portable browse logic's; these only run the dialogs.
#include <windows.h>

#include <optional>
#include <string>

#include "controls/browse_logic.h"

namespace cordalis {

class TextMeasure;

// The chosen file's full path; nothing when cancelled.
std::optional<std::string> ChooseFile(HWND owner, const FileDialogStart& start);

// The chosen folder's path with a trailing backslash; nothing when cancelled.
// The status line shows the selection's path shortened to fit, in the main
// window's font; a folder shortcut or an item without a path cannot be chosen.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& startPath, int shellVersion,
                                           const TextMeasure& measure);

// The chosen icon's file and index; nothing when cancelled or when the system
// has no icon picker. The picker takes wide text on the NT family.
std::optional<IconChoice> PickIcon(HWND owner, const IconChoice& start, bool ntFamily);

bool FolderExists(const std::string& path);

}  // namespace cordalis
