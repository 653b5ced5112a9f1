#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace cordalis {

enum class FieldType { I4, I2, Boolean, String };

struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int width = 0;          // characters, strings only; longer text is cut when stored
  bool readOnly = false;  // the field itself cannot be set by writers
  bool autoInc = false;   // the table numbers new rows in this field

  friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

using FieldDefs = std::vector<FieldDef>;

// The name a data packet gives the type ("i4", "i2", "boolean", "string").
const char* FieldTypeName(FieldType type);

}  // namespace cordalis
