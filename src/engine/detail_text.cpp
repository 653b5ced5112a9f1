#include "engine/detail_text.h"

#include "db/action_data.h"
#include "db/dm1.h"
#include "db/records.h"
#include "db/record_codes.h"
#include "engine/registry_reads.h"
#include "engine/rich_text.h"
#include "host/format.h"
#include "host/platform.h"
#include "host/roots.h"
#include "host/text.h"

namespace cordalis {
namespace {

void Words(RichTextPane& pane, const std::string& text) { pane.Insert(text, Face::Pane, stNone); }
void Code(RichTextPane& pane, const std::string& text) { pane.Insert(text, Face::Courier, stNone); }

// One row's paragraph, after the empty line that separates it from the last.
void DescribeRow(const DetailInputs& in, const ActionRecord& row, RichTextPane& pane) {
  const int changeType = row.changeType;
  const int kind = KeywordCode(row.special);
  const std::string& root = row.root;
  const std::string& value = row.value;
  std::string key = row.key;
  std::string data = row.data;
  if (kind == ckExpand)
    data = ExpandDirectoryPlaceholders(data, in.facts.windowsDirectory, in.facts.systemDirectory);
  const bool asHex = row.dataType == dtBinary;

  Words(pane, "\r\n\r\n");
  Words(pane, changeType == ctAddKey      ? "Add Registry key "
              : changeType == ctDeleteKey ? "Delete Registry key "
                                          : "In Registry key ");
  if (kind == ckReadKeyVar) {
    Code(pane, Format("%s\\%s", {root, ReplaceAll(key, kVariableMarker, "[VAR]\\")}));
    VariableData split = SplitVariableData(data);
    data = split.data;
    const std::string variable = LookUpVariable(in.registry, split.source);
    Words(pane, Format(" (where [VAR] is replaced by \"%s\", found at %s)", {variable, split.source}));
    key = variable.empty() ? "*ERROR*" : KeyWithVariable(key, variable);
  } else {
    Code(pane, Format("%s\\%s", {root, key}));
  }

  const std::string name = value.empty() ? "(Default)" : value;
  if (changeType == ctDeleteValue || changeType == ctViewValue) {
    Words(pane, changeType == ctDeleteValue ? ", delete the value named " : ", view the value named ");
    Code(pane, name);
    Words(pane, ".");
  } else if (changeType == ctChangeValue) {
    Words(pane, ", add or change the value named ");
    Code(pane, name);
    Words(pane, ", changing its current data of ");
    std::string current = Shorten(ReadCurrentData(in.registry, root, key, value, asHex, "(none)"));
    Code(pane, current.empty() ? "(none)" : current);
    Words(pane, " to ");
    if (kind == ckToggle) {
      const TogglePieces pieces = SplitToggle(data);
      Code(pane, pieces.whenTicked);
      Words(pane, " if checked, ");
      Code(pane, pieces.whenNotTicked);
      Words(pane, " if not.");
    } else if (kind >= ckDrive && kind <= ckView) {
      Words(pane, "a user-specified value.");
    } else {
      Code(pane, data.empty() ? "(none)" : data);
      Words(pane, ".");
    }
  }
  if (in.viewOnly) pane.Insert(" Platforms: " + PlatformListText(row.verMask), Face::Pane, stItalic);
}

}  // namespace

void BuildDetailText(const DetailInputs& in, RichTextPane& pane) {
  pane.Clear();
  pane.SetParagraphIndents(8, 8, 0);
  const bool listingUndo = in.hasUndoData && !in.viewOnly;
  int lastChangeType = -1;
  for (const ActionRecord& row : ActionsWithKey(listingUndo ? in.dm.cdsUndo : in.dm.cdsData, in.twkId)) {
    if (!listingUndo && !in.viewOnly && !PlatformApplies(row.verMask, in.currentMask)) continue;
    lastChangeType = row.changeType;
    DescribeRow(in, row, pane);
  }
  pane.MoveToStart();
  pane.Insert(listingUndo                      ? "Undo action:"
              : lastChangeType == ctViewValue ? "(View only; no action)"
                                              : "DO IT action:",
              Face::Pane, stUnderline);
}

}  // namespace cordalis
