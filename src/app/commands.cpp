#include "app/commands.h"

#include <stdexcept>

#include "app/main_form.h"
#include "host/text.h"

namespace cordalis {
namespace {

using Model = MainFormModel;
using Handler = void (MainFormModel::*)();
using State = bool (MainFormModel::*)() const;

Command Entry(CommandId id, const char* name, const char* caption, const char* hint, Handler execute,
              State enabled = nullptr, Shortcut shortcut = {}, int image = -1) {
  return Command{id, name, caption, hint, shortcut, image, execute, enabled};
}

}  // namespace

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      Entry(cmdExit, "acExit", "E&xit", "Exit|Exit the program",
            &Model::acExitExecute, nullptr, {vkF4, false, false, true}),
      Entry(cmdCopy, "EditCopy1", "&Copy", "Copy|Copies the selection and puts it on the Clipboard",
            &Model::EditCopy1Execute, nullptr, {'C', true}, 10),
      Entry(cmdSelectAll, "EditSelectAll1", "Select &all", "Select all|Selects the entire document",
            &Model::EditSelectAll1Execute, nullptr, {'A', true}),
      Entry(cmdFind, "acFind", "&Find", "Find|Find specific text in a tweak title, description, or note",
            &Model::acFindExecute, nullptr, {'F', true}, 1),
      Entry(cmdFindNext, "acFindNext", "Find &next", "Find next|Repeat the last find operation",
            &Model::acFindNextExecute, &Model::acFindNextEnabled, {vkF3}, 2),
      Entry(cmdFindUndo, "acFindUndo", "Find tweak with Undo",
            "Find undo|Find the next tweak that has Undo data recorded",
            &Model::acFindUndoExecute, nullptr, {'F', true, true}),
      Entry(cmdExpandAll, "acExAll", "&Expand all", "Expand all|Expand all categories and subcategories",
            &Model::acExAllExecute, nullptr, {vkMultiply, false, true}, 3),
      Entry(cmdCollapseAll, "acColAll", "&Collapse all", "Collapse all|Collapse the display to show only categories",
            &Model::acColAllExecute, nullptr, {vkSubtract, false, true}, 4),
      Entry(cmdExpandCategory, "acExOne", "E&xpand category", "Expand category|Expand the current category",
            &Model::acExOneExecute, nullptr, {vkAdd}, 5),
      Entry(cmdCollapseCategory, "acColOne", "C&ollapse category", "Collapse category|Collapse the current category",
            &Model::acColOneExecute, nullptr, {vkSubtract}, 6),
      Entry(cmdNextTweak, "acNextTweak", "&Next tweak", "Next tweak|Jump to the next tweak",
            &Model::acNextTweakExecute, nullptr, {vkDown, true}, 7),
      Entry(cmdPreviousTweak, "acPrevTweak", "&Previous tweak", "Previous tweak|Jump to the previous tweak",
            &Model::acPrevTweakExecute, nullptr, {vkUp, true}, 8),
      Entry(cmdTop, "acTop", "", "", &Model::acTopExecute, nullptr, {vkHome, true}),
      Entry(cmdBottom, "acBottom", "", "", &Model::acBottomExecute, nullptr, {vkEnd, true}),
      Entry(cmdApply, "acApply", "&DO  IT", "Apply|Apply the current tweak to your system",
            &Model::acApplyExecute, &Model::acApplyEnabled),
      Entry(cmdUndo, "acUndo", "&Undo", "Undo|Undo the current tweak", &Model::acUndoExecute, &Model::acUndoEnabled),
      Entry(cmdDeleteUndo, "acDelUndo", "D&elete Undo data",
            "Delete undo data|Delete the data that permits undoing this tweak",
            &Model::acDelUndoExecute, &Model::acDelUndoEnabled),
      Entry(cmdNote, "acNote", "&Note", "Add/Edit note|Add or edit your own notes to this tweak's description",
            &Model::acNoteExecute, &Model::acNoteEnabled),
      Entry(cmdHide, "acHide", "&Hide current tweak",
            "Hide tweak|Hide the current tweak so it doesn't show in the tree",
            &Model::acHideExecute, &Model::acHideEnabled),
      Entry(cmdReveal, "acReveal", "&Reveal all", "Reveal all|Reveal any tips that you have hidden",
            &Model::acRevealExecute, &Model::acRevealEnabled),
      Entry(cmdHelp, "acHelp", "&Help topics", "Help|Invoke the help system",
            &Model::acHelpExecute, nullptr, {vkF1}, 9),
      Entry(cmdAbout, "acAbout", "&About Cordalis...", "About|View copyright and version information",
            &Model::acAboutExecute),
      Entry(cmdExportUndo, "acExportUndo", "E&xport undo data...",
            "Export undo data|Write a Registry file that puts back what the undo data records, without Cordalis",
            &Model::acExportUndoExecute, &Model::acExportUndoEnabled),
      Entry(cmdRefresh, "acRefresh", "&Refresh",
            "Refresh|Read the Registry again for the tweaks' states and the current tweak's panes",
            &Model::acRefreshExecute, nullptr, {vkF5}),
      Entry(cmdCheckApplied, "acCheckApplied", "&Check applied tweaks",
            "Check applied tweaks|List the tweaks Cordalis applied whose values have been changed since",
            &Model::acCheckAppliedExecute, &Model::acCheckAppliedEnabled),
  };
  return commands;
}

const Command* FindCommand(int id) {
  for (const Command& command : Commands())
    if (command.id == id) return &command;
  return nullptr;
}

const Command& CommandOf(CommandId id) {
  if (const Command* command = FindCommand(id)) return *command;
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
      {"&Tree", {cmdExpandAll, cmdCollapseAll, cmdExpandCategory, cmdCollapseCategory, cmdNone, cmdNextTweak,
                 cmdPreviousTweak, cmdNone, cmdRefresh}},
      {"T&weak", {cmdApply, cmdUndo, cmdDeleteUndo, cmdExportUndo, cmdCheckApplied, cmdNone, cmdNote, cmdNone, cmdHide,
                  cmdReveal}},
      {"&Help", {cmdHelp, cmdAbout}},
  };
  return menu;
}

char AccessKey(const char* caption) {
  for (const char* c = caption; c[0] != '\0' && c[1] != '\0'; ++c) {
    if (c[0] != '&') continue;
    if (c[1] == '&') {  // "&&" is an ampersand
      ++c;
      continue;
    }
    return ToLowerAscii(c[1]);
  }
  return '\0';
}

bool IsMenuAccessKey(char letter) {
  const char key = ToLowerAscii(letter);
  for (const Menu& menu : MainMenu())
    if (key != '\0' && AccessKey(menu.caption) == key) return true;
  return false;
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
