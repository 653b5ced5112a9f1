#include "engine/undo_drift.h"

#include <map>
#include <optional>
#include <stdexcept>

#include "db/client_data_set.h"
#include "db/record_codes.h"
#include "engine/registry_reads.h"
#include "engine/undo_commands.h"
#include "engine/undo_recorder.h"
#include "host/int_text.h"
#include "host/registry.h"
#include "host/registry_api.h"
#include "host/roots.h"
#include "host/text.h"

namespace cordalis {
namespace {

constexpr const char* kAbsentText = "(absent)";
constexpr const char* kDeletedText = "(deleted)";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

struct ParsedForm {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
};

// A form WrittenForm made; nothing for kWrittenAbsent or damaged text.
std::optional<ParsedForm> ParseForm(const std::string& form) {
  const std::size_t colon = form.find(':');
  if (colon == std::string::npos || (form.size() - colon - 1) % 2 != 0) return std::nullopt;
  const std::optional<std::int32_t> type = ParseIntegerText(form.substr(0, colon));
  if (!type) return std::nullopt;
  ParsedForm parsed{static_cast<std::uint32_t>(*type), {}};
  for (std::size_t i = colon + 1; i < form.size(); i += 2) {
    const int high = HexDigit(form[i]), low = HexDigit(form[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    parsed.bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return parsed;
}

std::vector<std::uint8_t> LittleEndianBytes(std::int32_t n) {
  const auto u = static_cast<std::uint32_t>(n);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}

std::vector<std::uint8_t> HexBytes(const std::string& hex) {
  std::vector<std::uint8_t> bytes(HexTextByteCount(hex), 0);
  TSuperReg2::StringToByteArray(hex, bytes.data(), bytes.size());
  return bytes;
}

// What Undo puts back, in the form of WrittenForm; nothing when that cannot
// be told from the action.
std::optional<std::string> RestoredForm(const UndoRecord& row) {
  if (row.changeType == ctDeleteValue) return std::string(kWrittenAbsent);
  if (row.changeType != ctChangeValue) return std::nullopt;
  try {
    if (row.special == kExactBytesMark || row.dataType == dtBinary)
      return WrittenForm(static_cast<std::uint32_t>(row.dataType), HexBytes(row.data));
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (row.dataType == dtString || row.dataType == dtExpand) {
    std::vector<std::uint8_t> bytes(row.data.begin(), row.data.end());
    bytes.push_back(0);
    return WrittenForm(static_cast<std::uint32_t>(row.dataType), bytes);
  }
  if (row.dataType == dtDword) return WrittenForm(kRegDword, LittleEndianBytes(IntegerText(row.data, 0)));
  return std::nullopt;
}

std::string FormText(const std::string& form, const char* absentText) {
  if (form == kWrittenAbsent) return absentText;
  const std::optional<ParsedForm> parsed = ParseForm(form);
  if (!parsed) return form;
  return Shorten(CaptureForm(parsed->type, parsed->bytes).data);
}

// The value as it is now; nothing when its key or the value cannot be read.
std::optional<std::string> CurrentForm(RegistryApi& registry, HKey root, const std::string& key,
                                       const std::string& value) {
  HKey opened = 0;
  const long open = registry.OpenKey(root, WithoutLeadingBackslash(key), kKeyQueryValue, &opened);
  if (open == kErrorFileNotFound) return std::string(kWrittenAbsent);
  if (open != kErrorSuccess) return std::nullopt;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  const long query = registry.QueryValue(opened, value, &type, &bytes, nullptr);
  registry.CloseKey(opened);
  if (query == kErrorFileNotFound) return std::string(kWrittenAbsent);
  if (query != kErrorSuccess) return std::nullopt;
  return WrittenForm(type, bytes);
}

bool ValueRow(const UndoRecord& row) { return row.changeType == ctChangeValue || row.changeType == ctDeleteValue; }

}  // namespace

// Several undo actions of one tweak may name the same value (two actions
// changed it); what DO IT left is what the last of them recorded, and what
// Undo leaves is what the first of them holds. A value that holds either is
// no change of anyone else: the latter is what a replay cut short leaves.
std::vector<DriftRow> FindDrift(RegistryApi& registry, const std::vector<UndoRecord>& rows) {
  std::map<std::string, std::vector<std::size_t>> byValue;
  std::vector<std::string> order;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!ValueRow(rows[i])) continue;
    const std::string id = rows[i].root + "\\" + ToLowerAscii(WithoutLeadingBackslash(rows[i].key)) + "\\\\" +
                           ToLowerAscii(rows[i].value);
    auto [at, first] = byValue.try_emplace(id);
    if (first) order.push_back(id);
    at->second.push_back(i);
  }
  std::vector<DriftRow> drift;
  for (const std::string& id : order) {
    const std::vector<std::size_t>& positions = byValue[id];
    const UndoRecord& first = rows[positions.front()];
    const UndoRecord& last = rows[positions.back()];
    if (last.written.empty()) continue;  // recorded before what DO IT wrote was kept
    const HKey root = RootFromCode(first.root);
    if (root == 0) continue;
    const std::optional<std::string> now = CurrentForm(registry, root, first.key, first.value);
    if (!now || *now == last.written) continue;
    const std::optional<std::string> restored = RestoredForm(first);
    if (restored && *now == *restored) continue;
    DriftRow row;
    row.key = first.root + "\\" + WithoutLeadingBackslash(first.key);
    row.value = first.value;
    row.before = restored ? FormText(*restored, kAbsentText) : Shorten(first.data);
    row.written = FormText(last.written, kDeletedText);
    row.now = FormText(*now, kAbsentText);
    row.positions = positions;
    drift.push_back(std::move(row));
  }
  return drift;
}

std::vector<std::int32_t> TweaksChangedSince(RegistryApi& registry, const ClientDataSet& undo) {
  std::vector<std::int32_t> changed;
  for (std::int32_t twkId : TweaksWithUndoData(undo))
    if (!FindDrift(registry, ActionsWithKey(undo, twkId)).empty()) changed.push_back(twkId);
  return changed;
}

}  // namespace cordalis
