#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/cp1252.h"
#include "db/data_packet.h"
#include "host/text.h"

namespace cordalis {
namespace {

constexpr int kMaxDepth = 64;
constexpr int kMaxWidth = 1 << 20;

enum class Encoding { SingleByte, Utf8 };

// Classes of bytes, looked up rather than worked out, as the reader asks of every byte.
struct ByteClasses {
  bool space[256] = {};
  bool nameStart[256] = {};
  bool name[256] = {};
  // Bytes of an attribute value that need more than a copy, in each encoding.
  bool specialSingleByte[256] = {};
  bool specialUtf8[256] = {};
  ByteClasses() {
    for (unsigned char c : {' ', '\t', '\n', '\r'}) space[c] = true;
    for (int c = 0; c < 256; ++c) {
      nameStart[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
      name[c] = nameStart[c] || (c >= '0' && c <= '9') || c == '-' || c == '.';
      specialSingleByte[c] = c < 0x20 || c == '&' || c == '<';
      specialUtf8[c] = specialSingleByte[c] || c >= 0x80;
    }
  }
};
const ByteClasses kBytes;

bool IsSpace(unsigned char c) { return kBytes.space[c]; }
// Names are short: a loop beats a call.
bool SameBytes(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}
bool IsNameStart(unsigned char c) { return kBytes.nameStart[c]; }
bool IsNameChar(unsigned char c) { return kBytes.name[c]; }

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}

  TableData Read() {
    if (in_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    ReadDeclaration();
    SkipMisc();
    if (StartsWith("<!DOCTYPE")) Fail("a DOCTYPE is not allowed in a data packet");
    if (AtEnd()) Fail("the file holds no data packet");
    Expect("<", "expected the <DATAPACKET> element");
    std::string_view root = ReadName();
    if (root != "DATAPACKET") Fail("the root element is <" + std::string(root) + ">, not <DATAPACKET>");
    if (SkipAttributes()) Fail("<DATAPACKET> holds no METADATA");
    ReadPacketContent();
    SkipMisc();
    if (!AtEnd()) Fail("unexpected content after </DATAPACKET>");
    return std::move(table_);
  }

 private:
  [[noreturn]] void Fail(const std::string& what) { Fail(what, pos_); }
  [[noreturn]] void Fail(const std::string& what, std::size_t at) {
    at = std::min(at, in_.size());
    std::size_t line = 1 + static_cast<std::size_t>(std::count(in_.begin(), in_.begin() + at, '\n'));
    std::size_t lineStart = in_.rfind('\n', at == 0 ? 0 : at - 1);
    std::size_t column = lineStart == std::string_view::npos || at == 0 ? at + 1 : at - lineStart;
    throw DataPacketError("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what);
  }
  [[noreturn]] void FailEof(const std::string& inside) { Fail("unexpected end of file " + inside, in_.size()); }
  static std::string ControlMessage(unsigned char c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(c));
    return std::string("the control character ") + hex + " is not allowed in XML";
  }
  // XML allows no control character but tab, line feed and carriage return.
  void CheckNoControls(std::string_view s, std::size_t at) {
    for (std::size_t i = 0; i < s.size(); ++i)
      if (IsXmlForbiddenControl(static_cast<unsigned char>(s[i]))) Fail(ControlMessage(static_cast<unsigned char>(s[i])), at + i);
  }

  bool AtEnd() const { return pos_ >= in_.size(); }
  bool StartsWith(std::string_view s) const { return in_.substr(pos_, s.size()) == s; }
  // The text of a fault is made only when there is one: these run for every attribute.
  void Expect(std::string_view s, const char* what) {
    if (AtEnd()) FailEof("(" + std::string(what) + ")");
    if (!StartsWith(s)) Fail(what);
    pos_ += s.size();
  }
  void Expect(char c, const char* what) {
    if (AtEnd()) FailEof("(" + std::string(what) + ")");
    if (in_[pos_] != c) Fail(what);
    ++pos_;
  }
  // Where the bytes from `at` on stop being of a class; a local index, which
  // the compiler keeps in a register, as it may not keep pos_.
  std::size_t EndOfClass(std::size_t at, const bool (&in)[256]) const {
    while (at < in_.size() && in[static_cast<unsigned char>(in_[at])]) ++at;
    return at;
  }
  bool SkipSpace() {
    const std::size_t start = pos_;
    pos_ = EndOfClass(pos_, kBytes.space);
    return pos_ != start;
  }
  void SkipPast(std::string_view terminator, const std::string& inside) {
    std::size_t end = in_.find(terminator, pos_);
    if (end == std::string_view::npos) FailEof(inside);
    CheckNoControls(in_.substr(pos_, end - pos_), pos_);
    pos_ = end + terminator.size();
  }
  // Blanks, comments and processing instructions between elements.
  void SkipMisc() {
    for (;;) {
      SkipSpace();
      if (StartsWith("<!--")) {
        SkipPast("-->", "inside a comment");
      } else if (StartsWith("<?")) {
        SkipPast("?>", "inside a processing instruction");
      } else {
        return;
      }
    }
  }

  std::string_view ReadName() {
    std::size_t start = pos_;
    if (AtEnd()) FailEof("where a name was expected");
    if (!IsNameStart(static_cast<unsigned char>(in_[pos_]))) Fail("expected a name");
    pos_ = EndOfClass(pos_ + 1, kBytes.name);
    return in_.substr(start, pos_ - start);
  }

  struct Attribute {
    std::string_view name;
    std::string_view raw;  // as written, references not yet decoded
    std::size_t at;
  };

  // The attribute names of one start tag, by place in the file. Checked for a
  // repeat once the tag has been read, sorted, so that a tag of many
  // attributes costs n log n; eight bytes each, less than an attribute takes.
  struct NameRef {
    std::uint32_t at;
    std::uint32_t length;
  };
  using AttributeNames = std::vector<NameRef>;
  NameRef RefOf(const Attribute& a) const {
    return {static_cast<std::uint32_t>(a.name.data() - in_.data()), static_cast<std::uint32_t>(a.name.size())};
  }
  std::string_view NameAt(NameRef n) const { return in_.substr(n.at, n.length); }
  // Fails on the first attribute, in file order, that repeats the name of an earlier one.
  void CheckUnique(AttributeNames& names) {
    if (names.size() < 2) return;
    std::sort(names.begin(), names.end(), [&](NameRef x, NameRef y) {
      int order = NameAt(x).compare(NameAt(y));
      return order != 0 ? order < 0 : x.at < y.at;
    });
    const NameRef* repeat = nullptr;
    for (std::size_t i = 1; i < names.size(); ++i)
      if (NameAt(names[i]) == NameAt(names[i - 1]) && (!repeat || names[i].at < repeat->at)) repeat = &names[i];
    if (repeat) Fail("attribute " + std::string(NameAt(*repeat)) + " is given twice", repeat->at);
  }

  // Reads the attributes of a start tag whose name has been read, up to and
  // including its closing '>' or "/>". Returns true for an empty element.
  template <class OnAttribute>
  bool ReadAttributes(OnAttribute&& onAttribute) {
    for (;;) {
      bool blank = SkipSpace();
      if (AtEnd()) FailEof("inside a tag");
      char c = in_[pos_];
      if (c == '/') {
        ++pos_;
        Expect('>', "expected '>' after '/'");
        return true;
      }
      if (c == '>') {
        ++pos_;
        return false;
      }
      if (!blank) Fail("expected a blank before the attribute");
      Attribute a;
      a.name = ReadName();
      SkipSpace();
      Expect('=', "expected '=' after the attribute name");
      SkipSpace();
      if (AtEnd()) FailEof("inside a tag");
      char quote = in_[pos_];
      if (quote != '"' && quote != '\'') Fail("an attribute value must be quoted");
      a.at = ++pos_;
      std::size_t end = in_.find(quote, pos_);
      if (end == std::string_view::npos) FailEof("inside an attribute value");
      a.raw = in_.substr(pos_, end - pos_);
      if (a.raw.find('<') != std::string_view::npos) Fail("'<' inside an attribute value", a.at + a.raw.find('<'));
      pos_ = end + 1;
      onAttribute(a);
    }
  }

  // Attributes of elements whose attributes this reader ignores, still checked.
  bool SkipAttributes() {
    AttributeNames names;
    bool empty = ReadAttributes([&](const Attribute& a) {
      names.push_back(RefOf(a));
      Decode(a);
    });
    CheckUnique(names);
    return empty;
  }

  // Moves to the next child element of parent. Returns true with its name read,
  // or false once parent's end tag has been read.
  bool NextChild(std::string_view parent, std::string_view& child) {
    for (;;) {
      std::size_t lt = in_.find('<', pos_);
      if (lt == std::string_view::npos) FailEof("inside <" + std::string(parent) + ">");
      for (std::size_t i = pos_; i < lt; ++i)
        if (!IsSpace(static_cast<unsigned char>(in_[i]))) Fail("text is not allowed inside <" + std::string(parent) + ">", i);
      pos_ = lt;
      if (StartsWith("<!--")) {
        SkipPast("-->", "inside a comment");
      } else if (StartsWith("<?")) {
        SkipPast("?>", "inside a processing instruction");
      } else if (StartsWith("</")) {
        pos_ += 2;
        std::string_view name = ReadName();
        if (name != parent) Fail("</" + std::string(name) + "> does not close <" + std::string(parent) + ">");
        SkipSpace();
        Expect(">", "expected '>'");
        return false;
      } else if (StartsWith("<!")) {
        Fail("text is not allowed inside <" + std::string(parent) + ">");
      } else {
        ++pos_;
        child = ReadName();
        return true;
      }
    }
  }

  // Skips an element this reader does not use, whose name has been read.
  void SkipElement(std::string_view name, int depth) {
    if (depth > kMaxDepth) Fail("elements are nested more than " + std::to_string(kMaxDepth) + " deep");
    if (SkipAttributes()) return;
    std::string_view child;
    while (NextChild(name, child)) SkipElement(child, depth + 1);
  }

  void ReadDeclaration() {
    if (!StartsWith("<?xml") || pos_ + 5 >= in_.size() || !IsSpace(static_cast<unsigned char>(in_[pos_ + 5]))) return;
    pos_ += 5;
    AttributeNames names;
    for (;;) {
      SkipSpace();
      if (StartsWith("?>")) {
        pos_ += 2;
        CheckUnique(names);
        return;
      }
      if (AtEnd()) FailEof("inside the XML declaration");
      Attribute a;
      a.name = ReadName();
      SkipSpace();
      Expect("=", "expected '=' in the XML declaration");
      SkipSpace();
      if (AtEnd()) FailEof("inside the XML declaration");
      char quote = in_[pos_];
      if (quote != '"' && quote != '\'') Fail("a value in the XML declaration must be quoted");
      a.at = ++pos_;
      std::size_t end = in_.find(quote, pos_);
      if (end == std::string_view::npos) FailEof("inside the XML declaration");
      a.raw = in_.substr(pos_, end - pos_);
      CheckNoControls(a.raw, a.at);
      pos_ = end + 1;
      names.push_back(RefOf(a));
      if (a.name == "encoding") SetEncoding(a);
    }
  }

  void SetEncoding(const Attribute& a) {
    std::string name = ToLowerAscii(a.raw);
    if (name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii") {
      encoding_ = Encoding::Utf8;
    } else if (name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" || name == "latin1" ||
               name == "iso_8859-1") {
      encoding_ = Encoding::SingleByte;
    } else {
      Fail("the encoding '" + std::string(a.raw) + "' is not supported (use windows-1252 or UTF-8)", a.at);
    }
  }

  void ReadPacketContent() {
    bool haveMetadata = false, haveRows = false;
    std::string_view child;
    while (NextChild("DATAPACKET", child)) {
      if (child == "METADATA") {
        if (haveMetadata) Fail("<METADATA> appears twice");
        ReadMetadata();
        haveMetadata = true;
      } else if (child == "ROWDATA") {
        if (!haveMetadata) Fail("<ROWDATA> comes before <METADATA>");
        if (haveRows) Fail("<ROWDATA> appears twice");
        ReadRows();
        haveRows = true;
      } else {
        SkipElement(child, 2);
      }
    }
    if (!haveMetadata) Fail("<DATAPACKET> holds no METADATA");
  }

  void ReadMetadata() {
    std::int32_t autoIncValue = 1;
    bool haveFields = false;
    FieldDefs fields;
    if (SkipAttributes()) Fail("<METADATA> holds no FIELDS");
    std::string_view child;
    while (NextChild("METADATA", child)) {
      if (child == "FIELDS") {
        if (haveFields) Fail("<FIELDS> appears twice");
        ReadFields(fields);
        haveFields = true;
      } else if (child == "PARAMS") {
        AttributeNames names;
        bool empty = ReadAttributes([&](const Attribute& a) {
          names.push_back(RefOf(a));
          if (a.name == "AUTOINCVALUE") {
            autoIncValue = ParseNumber(a, FieldType::I4, "AUTOINCVALUE");
          } else {
            Decode(a);
          }
        });
        CheckUnique(names);
        if (!empty) {
          std::string_view inner;
          while (NextChild("PARAMS", inner)) SkipElement(inner, 4);
        }
      } else {
        SkipElement(child, 3);
      }
    }
    if (!haveFields) Fail("<METADATA> holds no FIELDS");
    table_ = TableData(std::move(fields));
    table_.SetAutoIncValue(autoIncValue);
  }

  void ReadFields(FieldDefs& fields) {
    if (SkipAttributes()) return;
    std::string_view child;
    while (NextChild("FIELDS", child)) {
      if (child != "FIELD") Fail("<" + std::string(child) + "> is not allowed inside <FIELDS>");
      if (fields.size() == TableData::kMaxFields)
        Fail("more than " + std::to_string(TableData::kMaxFields) + " fields");
      std::size_t at = pos_;
      fields.push_back(ReadField());
      for (std::size_t i = 0; i + 1 < fields.size(); ++i)
        if (EqualsIgnoreCase(fields[i].name, fields.back().name)) Fail("field " + fields.back().name + " is defined twice", at);
    }
  }

  FieldDef ReadField() {
    std::size_t at = pos_;
    FieldDef f;
    std::string type;
    bool haveName = false, haveType = false, haveWidth = false;
    AttributeNames names;
    bool empty = ReadAttributes([&](const Attribute& a) {
      names.push_back(RefOf(a));
      if (a.name == "WIDTH") {
        f.width = ParseNumber(a, FieldType::I4, "WIDTH");
        if (f.width < 1 || f.width > kMaxWidth) Fail("WIDTH " + std::string(a.raw) + " is out of range", a.at);
        haveWidth = true;
        return;
      }
      const std::string& value = Decode(a);
      if (a.name == "attrname") {
        f.name = value;
        haveName = true;
      } else if (a.name == "fieldtype") {
        type = ToLowerAscii(value);
        haveType = true;
      } else if (a.name == "readonly") {
        f.readOnly = EqualsIgnoreCase(value, "true");
      } else if (a.name == "SUBTYPE") {
        f.autoInc = EqualsIgnoreCase(value, "Autoinc");
      }
    });
    CheckUnique(names);
    if (!empty) {
      std::string_view inner;
      while (NextChild("FIELD", inner)) SkipElement(inner, 5);
    }
    if (!haveName) Fail("a FIELD has no attrname", at);
    if (f.name.empty() || !IsNameStart(static_cast<unsigned char>(f.name[0])) ||
        !std::all_of(f.name.begin(), f.name.end(), [](char c) { return IsNameChar(static_cast<unsigned char>(c)); }))
      Fail("'" + f.name + "' is not a usable field name", at);
    if (!haveType) Fail("field " + f.name + " has no fieldtype", at);
    if (type == "i4") {
      f.type = FieldType::I4;
    } else if (type == "i2") {
      f.type = FieldType::I2;
    } else if (type == "boolean") {
      f.type = FieldType::Boolean;
    } else if (type == "string") {
      f.type = FieldType::String;
      if (!haveWidth) Fail("string field " + f.name + " has no WIDTH", at);
    } else {
      Fail("field " + f.name + " has the unknown fieldtype '" + type + "'", at);
    }
    if (f.type != FieldType::String) f.width = 0;
    if (f.autoInc && f.type != FieldType::I4) Fail("auto-increment field " + f.name + " is not i4", at);
    return f;
  }

  // The rows go straight into the table as they are read: each cell once,
  // its text decoded into the table's own storage.
  void ReadRows() {
    const FieldDefs& fields = table_.Fields();
    IndexFieldNames();
    seenInRow_.assign(fields.size(), 0);
    autoInc_ = fields.size();
    for (std::size_t f = 0; f < fields.size(); ++f)
      if (fields[f].autoInc) autoInc_ = f;
    highestAutoInc_ = 0;

    if (SkipAttributes()) return;
    TableRowBuilder row(table_);
    std::uint32_t rowNumber = 0;
    std::string_view child;
    while (NextChild("ROWDATA", child)) {
      if (child != "ROW") Fail("<" + std::string(child) + "> is not allowed inside <ROWDATA>");
      if (!CellsPaidFor(table_.RowSlots() + 1, fields.size(), pos_))
        Fail("the rows ask for more memory than the bytes of the file before them pay for");
      const bool empty = ReadRowCells(row, ++rowNumber);
      row.End();
      if (!empty) {
        std::string_view inner;
        if (NextChild("ROW", inner)) Fail("<ROW> cannot hold elements");
      }
    }
    if (autoInc_ < fields.size() && highestAutoInc_ >= table_.AutoIncValue())
      table_.SetAutoIncValue(static_cast<std::int32_t>(std::min<std::int64_t>(highestAutoInc_ + 1, INT32_MAX)));
  }

  // The attributes of a <ROW> start tag, as ReadAttributes reads them, each
  // one a cell of the row. Returns true for an empty element.
  bool ReadRowCells(TableRowBuilder& row, std::uint32_t rowNumber) {
    std::size_t hint = 0;
    for (;;) {
      const bool blank = SkipSpace();
      if (AtEnd()) FailEof("inside a tag");
      const char c = in_[pos_];
      if (c == '/') {
        ++pos_;
        Expect('>', "expected '>' after '/'");
        return true;
      }
      if (c == '>') {
        ++pos_;
        return false;
      }
      if (!blank) Fail("expected a blank before the attribute");
      Attribute a;
      a.name = ReadName();
      SkipSpace();
      Expect('=', "expected '=' after the attribute name");
      SkipSpace();
      if (AtEnd()) FailEof("inside a tag");
      const char quote = in_[pos_];
      if (quote != '"' && quote != '\'') Fail("an attribute value must be quoted");
      a.at = ++pos_;
      const void* end = std::memchr(in_.data() + pos_, quote, in_.size() - pos_);
      if (!end) FailEof("inside an attribute value");
      a.raw = in_.substr(pos_, static_cast<std::size_t>(static_cast<const char*>(end) - (in_.data() + pos_)));
      pos_ += a.raw.size() + 1;

      const std::size_t f = FindField(a.name, hint);
      if (f == table_.Fields().size()) FailIn(a, "the row attribute " + std::string(a.name) + " names no field", a.at);
      if (seenInRow_[f] == rowNumber) FailIn(a, "attribute " + std::string(a.name) + " is given twice", a.at);
      seenInRow_[f] = rowNumber;
      hint = f + 1;
      StoreCell(row, f, a);
    }
  }

  // Rows name their fields mostly in field order, so the field after the last
  // one named is tried first; any other is found by halving, never by a walk.
  void IndexFieldNames() {
    const FieldDefs& fields = table_.Fields();
    byName_.clear();
    for (std::size_t f = 0; f < fields.size(); ++f) byName_.emplace_back(fields[f].name, f);
    std::sort(byName_.begin(), byName_.end());
  }
  std::size_t FindField(std::string_view name, std::size_t hint) const {
    const FieldDefs& fields = table_.Fields();
    if (hint < fields.size() && SameBytes(fields[hint].name, name)) return hint;
    auto it = std::lower_bound(byName_.begin(), byName_.end(), name,
                               [](const auto& entry, std::string_view n) { return entry.first < n; });
    return it != byName_.end() && it->first == name ? it->second : fields.size();
  }

  void StoreCell(TableRowBuilder& row, std::size_t f, const Attribute& a) {
    const FieldDef& field = table_.Fields()[f];
    switch (field.type) {
      case FieldType::String: {
        // The text is never longer than its bytes in the file, nor, unless it
        // is damage, than its field.
        const std::size_t most = std::min(a.raw.size(), static_cast<std::size_t>(field.width));
        row.Text(f, DecodeInto(a, row.TextRoom(most), most, &field));
        break;
      }
      case FieldType::Boolean:
        if (EqualsIgnoreCase(a.raw, "TRUE")) {
          row.Number(f, 1);
        } else if (EqualsIgnoreCase(a.raw, "FALSE")) {
          row.Number(f, 0);
        } else {
          FailIn(a, "field " + field.name + ": '" + Shorten(a.raw) + "' is not TRUE or FALSE", a.at);
        }
        break;
      default: {
        const std::int32_t number = ParseNumber(a, field.type, field.name);
        if (f == autoInc_) highestAutoInc_ = std::max<std::int64_t>(highestAutoInc_, number);
        row.Number(f, number);
      }
    }
  }

  static std::string Shorten(std::string_view raw) {
    return raw.size() > 40 ? std::string(raw.substr(0, 40)) + "..." : std::string(raw);
  }

  std::int32_t ParseNumber(const Attribute& a, FieldType type, const std::string& what) {
    std::string_view s = a.raw;
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    bool ok = error == std::errc() && end == s.data() + s.size() && !s.empty() && s[0] != ' ';
    std::int64_t low = type == FieldType::I2 ? INT16_MIN : INT32_MIN;
    std::int64_t high = type == FieldType::I2 ? INT16_MAX : INT32_MAX;
    if (!ok || value < low || value > high)
      FailIn(a, what + ": '" + Shorten(a.raw) + "' is not a " + (type == FieldType::I2 ? "16" : "32") + "-bit number",
             a.at);
    return static_cast<std::int32_t>(value);
  }

  // A '<' anywhere in an attribute value is the first fault to name, as it
  // is where attributes are read without being used.
  [[noreturn]] void FailIn(const Attribute& a, const std::string& what, std::size_t at) {
    const std::size_t lt = a.raw.find('<');
    if (lt != std::string_view::npos) Fail("'<' inside an attribute value", a.at + lt);
    Fail(what, at);
  }

  // The attribute's text as windows-1252 bytes, with references replaced and
  // literal line breaks and tabs turned into blanks as XML prescribes.
  const std::string& Decode(const Attribute& a) {
    value_.resize(a.raw.size());  // never longer than its bytes in the file
    value_.resize(DecodeInto(a, value_.data(), value_.size(), nullptr));
    return value_;
  }

  // Decodes the attribute's text into out, which has room for `room` bytes,
  // and returns its length. A text for a field may not be wider than the
  // field: that is damage, never cut. The room is the field's width where
  // that is less than the text's bytes in the file, which no text exceeds.
  std::size_t DecodeInto(const Attribute& a, char* out, std::size_t room, const FieldDef* field) {
    const bool* special = encoding_ == Encoding::Utf8 ? kBytes.specialUtf8 : kBytes.specialSingleByte;
    const std::string_view raw = a.raw;
    std::size_t i = 0, length = 0;
    while (i < raw.size()) {
      std::size_t run = PlainRunEnd(raw, i);
      while (run < raw.size() && !special[static_cast<unsigned char>(raw[run])]) ++run;
      if (run - i > room - length) FailWide(a, field);
      std::memcpy(out + length, raw.data() + i, run - i);
      length += run - i;
      i = run;
      if (i == raw.size()) break;
      if (length == room) FailWide(a, field);
      const unsigned char c = static_cast<unsigned char>(raw[i]);
      if (c == '&') {
        i = DecodeReference(a, i, out[length++]);
      } else if (c == '\r') {
        out[length++] = ' ';
        i += (i + 1 < raw.size() && raw[i + 1] == '\n') ? 2 : 1;
      } else if (c == '\n' || c == '\t') {
        out[length++] = ' ';
        ++i;
      } else if (c == '<') {
        FailIn(a, "", a.at);
      } else if (c < 0x20) {
        FailIn(a, ControlMessage(c), a.at + i);
      } else {
        i = DecodeUtf8(a, i, out[length++]);
      }
    }
    return length;
  }
  // Where the bytes from i on stop being plain copies, or a place before it:
  // eight bytes at a time while none of them is special.
  std::size_t PlainRunEnd(std::string_view raw, std::size_t i) const {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    const std::uint64_t highs = encoding_ == Encoding::Utf8 ? kHighs : 0;
    for (; i + 8 <= raw.size(); i += 8) {
      std::uint64_t x;
      std::memcpy(&x, raw.data() + i, 8);
      const std::uint64_t amp = x ^ (kOnes * '&'), lt = x ^ (kOnes * '<');
      // A high bit for each byte below 0x20, each '&' and '<', and in UTF-8 each byte from 0x80.
      const std::uint64_t control = (x - kOnes * 0x20) & ~x;
      const std::uint64_t found = ((amp - kOnes) & ~amp) | ((lt - kOnes) & ~lt) | control;
      if ((found & kHighs) != 0 || (x & highs) != 0) break;
    }
    return i;
  }

  [[noreturn]] void FailWide(const Attribute& a, const FieldDef* field) {
    if (!field) throw std::logic_error("a text was given less room than its bytes");
    FailIn(a, "the text of field " + field->name + " is wider than its WIDTH of " + std::to_string(field->width), a.at);
  }

  // The reference at raw[i], which is '&', as one byte; returns the index after it.
  std::size_t DecodeReference(const Attribute& a, std::size_t i, char& byte) {
    const std::string_view raw = a.raw;
    const std::size_t at = a.at;
    std::size_t semicolon = raw.find(';', i);
    if (semicolon == std::string_view::npos || semicolon - i > 12) FailIn(a, "'&' that starts no reference", at + i);
    std::string_view ref = raw.substr(i + 1, semicolon - i - 1);
    std::uint32_t cp = 0;
    if (ref == "amp") {
      cp = '&';
    } else if (ref == "lt") {
      cp = '<';
    } else if (ref == "gt") {
      cp = '>';
    } else if (ref == "quot") {
      cp = '"';
    } else if (ref == "apos") {
      cp = '\'';
    } else if (!ref.empty() && ref[0] == '#') {
      std::string_view digits = ref.substr(1);
      int base = 10;
      if (!digits.empty() && digits[0] == 'x') {
        digits.remove_prefix(1);
        base = 16;
      }
      auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, base);
      if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || cp > 0x10FFFF ||
          (cp >= 0xD800 && cp <= 0xDFFF))
        FailIn(a, "malformed character reference &" + std::string(ref) + ";", at + i);
      if (cp < 0x20 && IsXmlForbiddenControl(static_cast<unsigned char>(cp)))
        FailIn(a, "the character reference &" + std::string(ref) + "; is a control character XML does not allow",
               at + i);
    } else {
      FailIn(a, "undefined entity &" + std::string(ref) + ";", at + i);
    }
    byte = ByteOf(a, cp, at + i);
    return semicolon + 1;
  }

  // A byte of 0x80 or more in a UTF-8 file: a well-formed sequence is one
  // character; a stray byte is taken as windows-1252, as older files hold it.
  std::size_t DecodeUtf8(const Attribute& a, std::size_t i, char& byte) {
    const std::string_view raw = a.raw;
    unsigned char c = static_cast<unsigned char>(raw[i]);
    int length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    std::uint32_t cp = length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
    bool ok = length > 0 && i + static_cast<std::size_t>(length) <= raw.size();
    for (int k = 1; ok && k < length; ++k) {
      unsigned char d = static_cast<unsigned char>(raw[i + static_cast<std::size_t>(k)]);
      ok = (d & 0xC0) == 0x80;
      cp = (cp << 6) | (d & 0x3F);
    }
    if (ok) ok = !(length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) && !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF));
    if (!ok) {
      byte = static_cast<char>(c);
      return i + 1;
    }
    byte = ByteOf(a, cp, a.at + i);
    return i + static_cast<std::size_t>(length);
  }

  char ByteOf(const Attribute& a, std::uint32_t cp, std::size_t at) {
    int b = ByteOfCodePoint(cp);
    if (b < 0) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
      FailIn(a, std::string("the character ") + hex + " cannot be held in windows-1252 text", at);
    }
    return static_cast<char>(b);
  }

  std::vector<std::pair<std::string_view, std::size_t>> byName_;
  std::string_view in_;
  std::size_t pos_ = 0;
  Encoding encoding_ = Encoding::Utf8;
  TableData table_;
  std::string value_;
  // Rows: the row that last named each field, and the auto-increment field's
  // highest number (the field is autoInc_, or none when it is the field count).
  std::vector<std::uint32_t> seenInRow_;
  std::size_t autoInc_ = 0;
  std::int64_t highestAutoInc_ = 0;
};

}  // namespace

TableData ReadDataPacket(std::string_view bytes) {
  if (bytes.size() > kMaxPacketBytes) throw DataPacketError("the file is larger than " + std::to_string(kMaxPacketBytes) + " bytes");
  return Reader(bytes).Read();
}

}  // namespace cordalis
