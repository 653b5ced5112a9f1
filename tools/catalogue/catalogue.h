#pragma once
// The catalogue as the tool sees it: tweaks with their actions, read from the
// text form or from the two shipped tables, each remembering where it was
// written so that a problem can point at the line.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cordalis::catalogue {

// A file and a line in it; line 0 when the file has no lines to point at.
struct Origin {
  std::string file;
  int line = 0;
};

// The line each field was given on, by table field name ("DataType" for "Type:").
using FieldLines = std::map<std::string, int, std::less<>>;

struct Action {
  std::string root;
  std::string key;
  std::string value;
  std::int32_t dataType = 0;
  std::int32_t changeType = 0;
  std::string special;
  std::string data;
  std::int32_t verMask = 0;
  Origin origin;  // where the action starts
  FieldLines lines;
};

struct Tweak {
  std::int32_t twkId = 0;
  bool hide = false;
  std::string category;
  std::string subCat;
  std::string title;
  std::string description;
  // Where the facts come from; kept in the text form only, never in the tables.
  std::string source;
  // Other tweaks that knowingly write some of the same values: a user picks
  // one of them. Kept in the text form only.
  std::vector<std::int32_t> alternatives;
  std::vector<Action> actions;  // in the order written
  Origin origin;
  FieldLines lines;
};

struct Catalogue {
  std::vector<Tweak> tweaks;  // in the order read
  // True when read from the text form, the only form that keeps each tweak's
  // Source: and Alternatives:.
  bool fromTextForm = false;
  // The next number a new tweak gets, when the catalogue records it.
  std::optional<std::int32_t> nextNumber;
  Origin nextOrigin;
};

// One fault of the catalogue. Syntax faults of the text form carry only their
// origin; faults of a record also name the tweak, the action's 1-based
// position within it (0 for the tweak itself) and the field.
struct Problem {
  Origin origin;
  std::optional<std::int32_t> twkId;
  int action = 0;
  std::string field;
  std::string message;
};

// "file:line: #T0012 action 2 Data: message", leaving out what is unknown.
std::string ProblemLine(const Problem& problem);

// Where a field of a record was written: its own line when the text form gave
// one, otherwise the record's.
Origin FieldOrigin(const Origin& record, const FieldLines& lines, const std::string& field);

// Actions in the whole catalogue.
std::size_t ActionCount(const Catalogue& catalogue);

}  // namespace cordalis::catalogue
