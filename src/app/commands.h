#pragma once
// The main window's commands in one table: id, name, caption, hint, shortcut,
// image, handler and enabled state. The menu bar, the tool bar, the
// accelerators, the tool tips, the status-bar hints and the model's command
// dispatch are all made from it, so they cannot disagree.
#include <string>
#include <string_view>
#include <vector>

namespace cordalis {

class MainFormModel;

// Ids are the WM_COMMAND ids of the menus, the tool bar and the accelerators.
enum CommandId : int {
  cmdNone = 0,
  cmdExit = 100,
  cmdCopy,
  cmdSelectAll,
  cmdFind,
  cmdFindNext,
  cmdFindUndo,
  cmdExpandAll,
  cmdCollapseAll,
  cmdExpandCategory,
  cmdCollapseCategory,
  cmdNextTweak,
  cmdPreviousTweak,
  cmdTop,
  cmdBottom,
  cmdApply,
  cmdUndo,
  cmdDeleteUndo,
  cmdNote,
  cmdHide,
  cmdReveal,
  cmdHelp,
  cmdAbout,
  cmdExportUndo,
  cmdRefresh,
  cmdCheckApplied,
};

// Virtual-key codes, as Windows numbers them.
enum VirtualKey : unsigned {
  vkNone = 0,
  vkEnd = 0x23,
  vkHome = 0x24,
  vkUp = 0x26,
  vkDown = 0x28,
  vkMultiply = 0x6A,  // the numeric keypad's *, + and -
  vkAdd = 0x6B,
  vkSubtract = 0x6D,
  vkF1 = 0x70,
  vkF3 = 0x72,
  vkF4 = 0x73,
  vkF5 = 0x74,
};

struct Shortcut {
  constexpr Shortcut(unsigned key = vkNone, bool ctrl = false, bool shift = false, bool alt = false)
      : key(key), ctrl(ctrl), shift(shift), alt(alt) {}
  unsigned key;  // a virtual-key code; letters are their capitals
  bool ctrl;
  bool shift;
  bool alt;
  friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

struct Command {
  CommandId id = cmdNone;
  const char* name = "";     // acExit, EditCopy1, ...
  const char* caption = "";  // with "&" before the access key; empty for none
  const char* hint = "";     // short hint, "|", long hint; empty for none
  Shortcut shortcut;
  int image = -1;  // index in the tool bar's image lists; -1 for none
  void (MainFormModel::*execute)() = nullptr;
  bool (MainFormModel::*enabled)() const = nullptr;  // nullptr: always enabled
};

const std::vector<Command>& Commands();
// The command of an id; throws std::out_of_range for an id not in the table.
const Command& CommandOf(CommandId id);
// The command of an id; nullptr for an id not in the table.
const Command* FindCommand(int id);

// The hint's parts: the tool tip, and the status-bar text.
std::string_view ShortHint(std::string_view hint);
std::string_view LongHint(std::string_view hint);
// "Ctrl+Shift+F", "F3", "Shift+Num *", "Ctrl+Down", ...; empty for none.
std::string ShortcutText(const Shortcut& shortcut);

// The menu bar: each menu's caption and its items (cmdNone is a separator).
struct Menu {
  const char* caption;
  std::vector<CommandId> items;
};
const std::vector<Menu>& MainMenu();
// The access key of a caption, the letter after "&", in lower case; '\0' for none.
char AccessKey(const char* caption);
// Alt and this letter open a menu of the menu bar, whatever control has the
// focus: the menus' keys come before those of the window's buttons.
bool IsMenuAccessKey(char letter);
// The tool bar tbMain, left to right (cmdNone is a separator).
const std::vector<CommandId>& ToolBarButtons();
// The pop-up menu of the two rich edits.
const std::vector<CommandId>& RichEditMenu();

}  // namespace cordalis
