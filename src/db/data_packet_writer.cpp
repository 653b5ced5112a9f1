#include <algorithm>
#include <charconv>
#include <cstdio>

#include "host/cp1252.h"
#include "db/data_packet.h"

namespace cordalis {
namespace {

// How each byte of a text is written inside a double-quoted attribute value;
// empty means the byte itself. No byte is ever written as a control character
// XML forbids: those travel as private-use characters the reader maps back.
struct EscapeTable {
  std::string text[256];
  std::uint8_t length[256];
  EscapeTable() {
    text[static_cast<unsigned char>('&')] = "&amp;";
    text[static_cast<unsigned char>('<')] = "&lt;";
    text[static_cast<unsigned char>('>')] = "&gt;";
    text[static_cast<unsigned char>('"')] = "&quot;";
    text[static_cast<unsigned char>('\t')] = "&#9;";
    text[static_cast<unsigned char>('\n')] = "&#10;";
    text[static_cast<unsigned char>('\r')] = "&#13;";
    for (int b = 0; b < 256; ++b) {
      char buffer[16];
      if (IsXmlForbiddenControl(static_cast<unsigned char>(b))) {
        std::snprintf(buffer, sizeof buffer, "&#x%X;", static_cast<unsigned>(CodePointOfByte(static_cast<unsigned char>(b))));
        text[b] = buffer;
      } else if (IsUndefinedIn1252(static_cast<unsigned char>(b))) {
        std::snprintf(buffer, sizeof buffer, "&#%d;", b);
        text[b] = buffer;
      }
      length[b] = static_cast<std::uint8_t>(text[b].empty() ? 1 : text[b].size());
    }
  }
};
const EscapeTable kEscape;

void AppendEscaped(std::string& out, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t run = i;
    while (run < text.size() && kEscape.text[static_cast<unsigned char>(text[run])].empty()) ++run;
    out.append(text, i, run - i);
    if (run == text.size()) break;
    out += kEscape.text[static_cast<unsigned char>(text[run])];
    i = run + 1;
  }
}

// The writer and the measures run the same code over one of these two, so
// that what is measured is exactly what is written.
class Appender {
 public:
  explicit Appender(std::string& out) : out_(out) {}
  void Put(std::string_view s) { out_.append(s); }
  void PutEscaped(std::string_view s) { AppendEscaped(out_, s); }
  void PutNumber(long long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
  }
  std::size_t Size() const { return out_.size(); }

 private:
  std::string& out_;
};

class Counter {
 public:
  void Put(std::string_view s) { bytes_ += s.size(); }
  void PutEscaped(std::string_view s) { bytes_ += EncodedTextBytes(s); }
  void PutNumber(long long value) {
    char buffer[24];
    bytes_ += static_cast<std::size_t>(std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer);
  }
  std::size_t Size() const { return bytes_; }

 private:
  std::size_t bytes_ = 0;
};

bool HasAutoInc(const FieldDefs& fields) {
  for (const FieldDef& f : fields)
    if (f.autoInc) return true;
  return false;
}

template <class Out>
void PutHead(Out& out, const FieldDefs& fields, std::int32_t autoIncValue) {
  out.Put("<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\r\n");
  out.Put("<DATAPACKET Version=\"2.0\">\r\n <METADATA>\r\n  <FIELDS>\r\n");
  for (const FieldDef& f : fields) {
    out.Put("   <FIELD attrname=\"");
    out.PutEscaped(f.name);
    out.Put("\" fieldtype=\"");
    out.Put(FieldTypeName(f.type));
    out.Put("\"");
    if (f.type == FieldType::String) {
      out.Put(" WIDTH=\"");
      out.PutNumber(f.width);
      out.Put("\"");
    }
    if (f.readOnly) out.Put(" readonly=\"true\"");
    if (f.autoInc) out.Put(" SUBTYPE=\"Autoinc\"");
    out.Put("/>\r\n");
  }
  out.Put("  </FIELDS>\r\n");
  if (HasAutoInc(fields)) {
    out.Put("  <PARAMS AUTOINCVALUE=\"");
    out.PutNumber(autoIncValue);
    out.Put("\"/>\r\n");
  }
  out.Put(" </METADATA>\r\n <ROWDATA>\r\n");
}

template <class Out>
void PutTail(Out& out) {
  out.Put(" </ROWDATA>\r\n</DATAPACKET>\r\n");
}

template <class Out>
void PutRow(Out& out, const FieldDefs& fields, const std::vector<CellView>& cells) {
  out.Put("  <ROW");
  for (std::size_t f = 0; f < fields.size() && f < cells.size(); ++f) {
    const CellView& cell = cells[f];
    if (cell.null) continue;
    out.Put(" ");
    out.Put(fields[f].name);
    out.Put("=\"");
    switch (fields[f].type) {
      case FieldType::String: out.PutEscaped(cell.text); break;
      case FieldType::Boolean: out.Put(cell.number ? "TRUE" : "FALSE"); break;
      default: out.PutNumber(cell.number);
    }
    out.Put("\"");
  }
  out.Put("/>\r\n");
}

std::string LimitText() {
  return "the most a table file may hold, " + std::to_string(kMaxPacketBytes) + " bytes (" +
         std::to_string(kMaxPacketBytes >> 20) + " MB)";
}

}  // namespace

std::size_t EncodedTextBytes(std::string_view text) {
  std::size_t bytes = 0;
  for (char c : text) bytes += kEscape.length[static_cast<unsigned char>(c)];
  return bytes;
}

std::size_t EncodedRowBytes(const FieldDefs& fields, const std::vector<CellView>& cells) {
  Counter counter;
  PutRow(counter, fields, cells);
  return counter.Size();
}

std::size_t EncodedRowBytes(const TableData& table, RowId row) {
  std::vector<CellView> cells;
  table.ReadRow(row, cells);
  return EncodedRowBytes(table.Fields(), cells);
}

std::size_t EncodedFrameBytes(const FieldDefs& fields, std::int32_t autoIncValue) {
  Counter counter;
  PutHead(counter, fields, autoIncValue);
  PutTail(counter);
  return counter.Size();
}

std::size_t EncodedPacketBytes(const TableData& table) {
  std::size_t bytes = EncodedFrameBytes(table.Fields(), table.AutoIncValue());
  std::vector<CellView> cells;
  for (RowId row = 0; row < table.RowSlots(); ++row) {
    if (!table.IsLive(row)) continue;
    table.ReadRow(row, cells);
    bytes += EncodedRowBytes(table.Fields(), cells);
  }
  return bytes;
}

// Measured first, so that the packet is built in exactly the memory it takes
// (a guess either holds far more or grows by copies), and one too large is
// refused before it is built.
std::string WriteDataPacket(const TableData& table) {
  const std::size_t bytes = EncodedPacketBytes(table);
  if (bytes > kMaxPacketBytes) throw DataPacketError("the table would take more than " + LimitText());
  const FieldDefs& fields = table.Fields();
  std::string text;
  text.reserve(bytes);
  Appender out(text);
  PutHead(out, fields, table.AutoIncValue());
  std::size_t rows = 0;
  std::vector<CellView> cells;
  for (RowId row = 0; row < table.RowSlots(); ++row) {
    if (!table.IsLive(row)) continue;
    // Where the reader checks the row: just after the name ROW.
    if (!CellsPaidFor(++rows, fields.size(), text.size() + std::string_view("  <ROW").size()))
      throw DataPacketError("the table holds too many empty cells for a table file");
    table.ReadRow(row, cells);
    PutRow(out, fields, cells);
  }
  PutTail(out);
  return text;
}

}  // namespace cordalis
