#pragma once
// The decisions behind the "Browse..." buttons of the controls pane: what each
// dialog starts with, which results are accepted and how they are shown. The
// dialogs themselves are the window view's.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cordalis {

class ControlsPaneModel;
class TextMeasure;

// Buffers the dialogs copy a starting path into, in characters with the
// terminating zero.
inline constexpr std::size_t kFileDialogCapacity = 260;     // MAX_PATH
inline constexpr std::size_t kFolderContextCapacity = 263;  // the folder browser's context
inline constexpr std::size_t kIconPickerCapacity = 260;

inline constexpr const char* kFolderBrowserTitle = "Select folder";
inline constexpr const char* kFolderShortcutStatus = "Folder shortcut, not a valid selection - see Help.";

// Whether a starting path fits its dialog's buffer. One that does not is not
// cut short (that would start the dialog somewhere else): the dialog opens
// without a starting path instead.
bool InitialPathFits(std::string_view path, std::size_t capacity);

// The control number of a "Browse..." button: its name without the
// 7-character prefix "cButton", as integer text; -1 when that is not a number.
int ButtonNumber(std::string_view buttonName);

struct FileDialogStart {
  std::string filter;    // description and pattern pairs, "|"-separated
  std::string fileName;  // the starting file
};
// What the file-open dialog of button n starts with: "All files|*.*" and no
// file below 0, otherwise the entries of the browse tables.
FileDialogStart FileDialogFor(int buttonNumber, const ControlsPaneModel& pane);

// The folder browser's flags: BIF_RETURNONLYFSDIRS, BIF_STATUSTEXT and
// BIF_RETURNFSANCESTORS, and BIF_EDITBOX and BIF_VALIDATE from shell version 471 up.
unsigned FolderBrowserFlags(int shellVersionNumber);
// The starting path the folder browser of button n keeps in its context.
std::string FolderBrowserStart(int buttonNumber, const ControlsPaneModel& pane);
// The folder to select when the browser opens: the starting path without its
// trailing backslash, except that a drive ("C:") keeps it.
std::string FolderInitialSelection(std::string_view startPath);
// The width of the browser's status line for its client width.
int FolderStatusWidth(int clientWidth);
bool IsFolderShortcut(std::string_view typeName);
std::string InvalidFolderNameStatus(std::string_view typedName);
// The browser's result for the chosen item's file-system path: a trailing
// backslash added unless it has one.
std::string FolderBrowserResult(std::string_view path);
// The path label text of an accepted folder result: a drive path (":\" at the
// second character) or a network path ("\\" first) of an existing folder,
// without its trailing backslash; nothing for any other result.
std::optional<std::string> AcceptedFolder(std::string_view result,
                                          const std::function<bool(const std::string&)>& folderExists);

struct IconChoice {
  std::string file;
  int index = 0;
  friend bool operator==(const IconChoice&, const IconChoice&) = default;
};
// An icon path label's text split at its last ",": the file before it and the
// index (integer text, default 0) after it; the whole text and 0 without ",".
IconChoice SplitIconText(std::string_view text);
// What the icon picker of button n starts with (no file when it does not fit).
IconChoice IconPickerStart(int buttonNumber, const ControlsPaneModel& pane);
// The path label text of a chosen icon: "%s,%d".
std::string IconLabelText(const std::string& file, int index);

// A path cut down, first folder first, until it fits the width in the window
// font: C:\...\Tools\x.exe, then C:\...\x.exe, ...\x.exe and x.exe. A path that
// fits, or that has no folder part, is returned as it is.
std::string ShortenPath(std::string_view path, int widthPixels, const TextMeasure& measure);

}  // namespace cordalis
