#pragma once
// Typed snapshots of the rows of the four tables. A snapshot is read once,
// whole, and does not move any table's cursor when read by key, so the tree,
// Find and the controls pane can look at any tweak's rows while the engine's
// cursors stay on the selected tweak.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cordalis {

class ClientDataSet;

struct TweakRecord {
  std::int32_t twkId = 0;
  bool hide = false;
  std::string category;
  std::string subCat;
  std::string title;
  std::string description;
  friend bool operator==(const TweakRecord&, const TweakRecord&) = default;
};

// An action, or an undo action: the two tables have the same fields.
struct ActionRecord {
  std::int32_t twkId = 0;
  std::string root;
  std::string key;
  std::string value;
  std::int32_t dataType = 0;
  std::int32_t changeType = 0;
  std::string special;
  std::string data;
  std::uint16_t verMask = 0;
  // Undo actions only, empty when not recorded: what DO IT left in the
  // Registry (WrittenForm) and the day it ran ("YYYY-MM-DD").
  std::string written = std::string();
  std::string appliedOn = std::string();
  friend bool operator==(const ActionRecord&, const ActionRecord&) = default;
};
using UndoRecord = ActionRecord;

struct NoteRecord {
  std::int32_t twkId = 0;
  std::string note;
  friend bool operator==(const NoteRecord&, const NoteRecord&) = default;
};

// The current row of a table, as a snapshot.
TweakRecord ReadTweak(const ClientDataSet& table);
ActionRecord ReadAction(const ClientDataSet& table);
NoteRecord ReadNote(const ClientDataSet& table);

// Every row of a table in the order it presents them when not a detail
// (TwkID order for the tweak table), whatever subset a detail shows now.
std::vector<TweakRecord> AllTweaks(const ClientDataSet& tweaks);
// The rows carrying one TwkID, in stored order; no cursor moves.
std::vector<ActionRecord> ActionsWithKey(const ClientDataSet& table, std::int32_t twkId);
std::optional<NoteRecord> NoteWithKey(const ClientDataSet& notes, std::int32_t twkId);
std::optional<TweakRecord> TweakWithKey(const ClientDataSet& tweaks, std::int32_t twkId);

}  // namespace cordalis
