#include "controls/control_groups.h"

#include <algorithm>

#include "db/record_codes.h"
#include "host/int_text.h"
#include "host/text.h"

namespace cordalis {

int PiecesTaken(int kind) {
  switch (kind) {
    case ckNone: return 0;
    case ckFile: return 3;
    case ckNum: return 5;
    case ckToggle: return 2;
    default: return kind > 0 && kind <= ckExpand ? 1 : 0;
  }
}

std::vector<ControlGroup> ReadControlGroups(std::string_view special, std::string_view data, int firstControlNumber) {
  std::vector<ControlGroup> groups;
  std::string keywords(special);
  std::string pieces(data);
  while (!keywords.empty()) {
    const int kind = KeywordCode(TakePiece(keywords));
    std::string first = TakePiece(pieces);
    if (kind == ckNone) break;
    ControlGroup group;
    group.kind = kind;
    group.controlNumber = firstControlNumber + static_cast<int>(groups.size());
    switch (kind) {
      case ckReadKeyVar: group.variableSource = std::move(first); break;
      case ckExpand: break;  // its piece is DO IT's data, not the pane's
      default: group.prompt = std::move(first);
    }
    if (kind == ckFile) {
      group.filterDescription = TakePiece(pieces);
      group.filterPattern = TakePiece(pieces);
    } else if (kind == ckNum) {
      group.num.minimum = TakePiece(pieces);
      group.num.maximum = TakePiece(pieces);
      group.num.increment = TakePiece(pieces);
      group.num.defaultValue = TakePiece(pieces);
    } else if (kind == ckToggle) {
      group.dataWhenTicked = TakePiece(pieces);
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

std::int16_t Low16(std::int32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu));
}

NumberBoxSetup SetUpNumberBox(const NumPieces& pieces, std::string_view currentData) {
  NumberBoxSetup box;
  box.minimum = Low16(IntegerText(pieces.minimum, 0));
  box.maximum = Low16(IntegerText(pieces.maximum, 32767));
  box.increment = IntegerText(pieces.increment, 1);
  if (box.increment == 0) box.increment = 1;
  // Both bounds are 16-bit, so neither the sum nor the quotients can overflow.
  const std::int32_t computed = (box.minimum + box.maximum) / 2 / box.increment * box.increment;
  std::int32_t start = IntegerText(pieces.defaultValue, computed);
  if (start < box.minimum) start = box.minimum;
  if (start > box.maximum) start = box.maximum;
  box.position = WithinBounds(Low16(IntegerText(currentData, start)), box.minimum, box.maximum);
  return box;
}

std::int16_t WithinBounds(std::int32_t position, std::int16_t minimum, std::int16_t maximum) {
  const std::int32_t low = std::min(minimum, maximum), high = std::max(minimum, maximum);
  return static_cast<std::int16_t>(std::clamp(position, low, high));
}

std::int16_t NumberBoxStep(std::int16_t position, int direction, std::int32_t increment, std::int16_t minimum,
                           std::int16_t maximum) {
  if (direction == 0) return WithinBounds(position, minimum, maximum);
  // Wide enough for any 16-bit position and any 32-bit increment.
  const std::int64_t step = direction > 0 ? std::int64_t{increment} : -std::int64_t{increment};
  const std::int64_t low = std::min(minimum, maximum), high = std::max(minimum, maximum);
  return static_cast<std::int16_t>(std::clamp(std::int64_t{position} + step, low, high));
}

std::string DriveBoxText(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) c = ToUpperAscii(c);
  return shown;
}

bool ToggleTicked(std::string_view dataWhenTicked, std::string_view currentData) {
  return currentData == dataWhenTicked;
}

std::string FileFilter(std::string_view description, std::string_view pattern) {
  std::string filter(description);
  filter += '|';
  filter += pattern;
  return filter;
}

}  // namespace cordalis
