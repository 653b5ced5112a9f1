#include "db/schema.h"

namespace cordalis::schema {
namespace {

FieldDef Integer(const char* name) { return {name, FieldType::I4, 0, false, false}; }
FieldDef Text(const char* name, int width) { return {name, FieldType::String, width, false, false}; }

}  // namespace

const FieldDefs& TweakFields() {
  static const FieldDefs fields = {
      {kTwkID, FieldType::I4, 0, true, true},
      {kHide, FieldType::Boolean, 0, false, false},
      Text(kCategory, 25),
      Text(kSubCat, 25),
      Text(kTitle, 255),
      Text(kDescription, 4096),
  };
  return fields;
}

const FieldDefs& ActionFields() {
  static const FieldDefs fields = {
      Integer(kTwkID),    Text(kRoot, 4),         Text(kKey, 255),     Text(kValue, 255),
      Integer(kDataType), Integer(kChangeType),   Text(kSpecial, 255), Text(kData, 255),
      {kVerMask, FieldType::I2, 0, false, false},
  };
  return fields;
}

const FieldDefs& UndoFields() {
  static const FieldDefs fields = [] {
    FieldDefs f = ActionFields();
    for (FieldDef& field : f) {
      if (field.name == kKey) field.width = 32767;    // a full path below its root
      if (field.name == kValue) field.width = 16383;  // the longest value name
      if (field.name == kData) field.width = 1 << 20; // hex text of large values
    }
    f.push_back(Text(kWritten, 1 << 20));  // a type code, ":" and the hex text of the value's bytes
    f.push_back(Text(kAppliedOn, 10));     // "YYYY-MM-DD"
    return f;
  }();
  return fields;
}

const FieldDefs& NoteFields() {
  static const FieldDefs fields = {Integer(kTwkID), Text(kNote, 4096)};
  return fields;
}

FieldDefs FieldsAddedLater(const FieldDefs& fields) {
  FieldDefs later;
  for (const FieldDef& field : fields)
    if (field.name == kWritten || field.name == kAppliedOn) later.push_back(field);
  return later;
}

int WidthOf(const FieldDefs& fields, const char* name) {
  for (const FieldDef& f : fields)
    if (f.name == name && f.type == FieldType::String) return f.width;
  return 0;
}

}  // namespace cordalis::schema
