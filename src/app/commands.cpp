#include "app/commands.h"

#include <stdexcept>

namespace cordalis {
namespace {

Command Entry(CommandId id, const char* name, const char* caption, const char* hint, Shortcut shortcut = {},
              int image = -1) {
  return Command{id, name, caption, hint, shortcut, image};
}

}  // namespace

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      Entry(cmdExit, "acExit", "E&xit", "Exit|Exit the program", {vkF4, false, false, true}),
      Entry(cmdCopy, "EditCopy1", "&Copy", "Copy|Copies the selection and puts it on the Clipboard", {'C', true}, 10),
      Entry(cmdSelectAll, "EditSelectAll1", "Select &all", "Select all|Selects the entire document", {'A', true}),
      Entry(cmdFind, "acFind", "&Find", "Find|Find specific text in a tweak title, description, or note", {'F', true}, 1),
      Entry(cmdFindNext, "acFindNext", "Find &next", "Find next|Repeat the last find operation", {vkF3}, 2),
      Entry(cmdFindUndo, "acFindUndo", "Find tweak with Undo", "Find undo|Find the next tweak that has Undo data recorded",
       {'F', true, true}),
      Entry(cmdExpandAll, "acExAll", "&Expand all", "Expand all|Expand all categories and subcategories",
       {vkMultiply, false, true}, 3),
      Entry(cmdCollapseAll, "acColAll", "&Collapse all", "Collapse all|Collapse the display to show only categories",
       {vkSubtract, false, true}, 4),
      Entry(cmdExpandCategory, "acExOne", "E&xpand category", "Expand category|Expand the current category", {vkAdd}, 5),
      Entry(cmdCollapseCategory, "acColOne", "C&ollapse category", "Collapse category|Collapse the current category",
       {vkSubtract}, 6),
      Entry(cmdNextTweak, "acNextTweak", "&Next tweak", "Next tweak|Jump to the next tweak", {vkDown, true}, 7),
      Entry(cmdPreviousTweak, "acPrevTweak", "&Previous tweak", "Previous tweak|Jump to the previous tweak", {vkUp, true}, 8),
      Entry(cmdTop, "acTop", "", "", {vkHome, true}),
      Entry(cmdBottom, "acBottom", "", "", {vkEnd, true}),
      Entry(cmdApply, "acApply", "&DO  IT", "Apply|Apply the current tweak to your system"),
      Entry(cmdUndo, "acUndo", "&Undo", "Undo|Undo the current tweak"),
      Entry(cmdDeleteUndo, "acDelUndo", "D&elete Undo data", "Delete undo data|Delete the data that permits undoing this tweak"),
      Entry(cmdNote, "acNote", "&Note", "Add/Edit note|Add or edit your own notes to this tweak's description"),
      Entry(cmdHide, "acHide", "&Hide current tweak", "Hide tweak|Hide the current tweak so it doesn't show in the tree"),
      Entry(cmdReveal, "acReveal", "&Reveal all", "Reveal all|Reveal any tips that you have hidden"),
      Entry(cmdHelp, "acHelp", "&Help topics", "Help|Invoke the help system", {vkF1}, 9),
      Entry(cmdAbout, "acAbout", "&About Cordalis...", "About|View copyright and version information"),
  };
  return commands;
}

const Command& CommandOf(CommandId id) {
  for (const Command& command : Commands())
    if (command.id == id) return command;
  throw std::out_of_range("no command with id " + std::to_string(id));
}

std::string_view ShortHint(std::string_view hint) { return hint.substr(0, hint.find('|')); }

std::string_view LongHint(std::string_view hint) {
  const std::size_t bar = hint.find('|');
  return bar == std::string_view::npos ? hint : hint.substr(bar + 1);
}

std::string ShortcutText(const Shortcut& shortcut) {
  std::string key;
  switch (shortcut.key) {
    case vkNone: return {};
    case vkEnd: key = "End"; break;
    case vkHome: key = "Home"; break;
    case vkUp: key = "Up"; break;
    case vkDown: key = "Down"; break;
    case vkMultiply: key = "Num *"; break;
    case vkAdd: key = "Num +"; break;
    case vkSubtract: key = "Num -"; break;
    default:
      key = shortcut.key >= vkF1 && shortcut.key < vkF1 + 24 ? "F" + std::to_string(shortcut.key - vkF1 + 1)
                                                             : std::string(1, static_cast<char>(shortcut.key));
  }
  return std::string(shortcut.ctrl ? "Ctrl+" : "") + (shortcut.shift ? "Shift+" : "") + (shortcut.alt ? "Alt+" : "") +
         key;
}

const std::vector<Menu>& MainMenu() {
  static const std::vector<Menu> menu = {
      {"&File", {cmdExit}},
      {"&Edit", {cmdCopy, cmdSelectAll}},
      {"Fi&nd", {cmdFind, cmdFindNext, cmdNone, cmdFindUndo}},
      {"&Tree", {cmdExpandAll, cmdCollapseAll, cmdExpandCategory, cmdCollapseCategory, cmdNone, cmdNextTweak, cmdPreviousTweak}},
      {"T&weak", {cmdApply, cmdUndo, cmdDeleteUndo, cmdNone, cmdNote, cmdNone, cmdHide, cmdReveal}},
      {"&Help", {cmdHelp, cmdAbout}},
  };
  return menu;
}

const std::vector<CommandId>& ToolBarButtons() {
  static const std::vector<CommandId> buttons = {cmdFind,        cmdFindNext,      cmdNone,      cmdExpandAll,
                                                 cmdCollapseAll, cmdExpandCategory, cmdCollapseCategory, cmdNone,
                                                 cmdNextTweak,   cmdPreviousTweak, cmdNone,      cmdHelp};
  return buttons;
}

const std::vector<CommandId>& RichEditMenu() {
  static const std::vector<CommandId> items = {cmdCopy, cmdNone, cmdSelectAll};
  return items;
}

}  // namespace cordalis
