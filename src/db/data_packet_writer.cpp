#include <charconv>
#include <cstdio>

#include "host/cp1252.h"
#include "db/data_packet.h"

namespace cordalis {
namespace {

// How each byte of a text is written inside a double-quoted attribute value;
// empty means the byte itself.
struct EscapeTable {
  std::string text[256];
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

void AppendNumber(std::string& out, long long value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace

std::string WriteDataPacket(const TableData& table) {
  const FieldDefs& fields = table.Fields();
  std::string out;
  out.reserve(1024 + table.LiveRowCount() * (16 + fields.size() * 24));
  out += "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\r\n";
  out += "<DATAPACKET Version=\"2.0\">\r\n <METADATA>\r\n  <FIELDS>\r\n";
  bool hasAutoInc = false;
  for (const FieldDef& f : fields) {
    out += "   <FIELD attrname=\"";
    AppendEscaped(out, f.name);
    out += "\" fieldtype=\"";
    out += FieldTypeName(f.type);
    out += '"';
    if (f.type == FieldType::String) {
      out += " WIDTH=\"";
      AppendNumber(out, f.width);
      out += '"';
    }
    if (f.readOnly) out += " readonly=\"true\"";
    if (f.autoInc) {
      out += " SUBTYPE=\"Autoinc\"";
      hasAutoInc = true;
    }
    out += "/>\r\n";
  }
  out += "  </FIELDS>\r\n";
  if (hasAutoInc) {
    out += "  <PARAMS AUTOINCVALUE=\"";
    AppendNumber(out, table.AutoIncValue());
    out += "\"/>\r\n";
  }
  out += " </METADATA>\r\n <ROWDATA>\r\n";
  for (RowId row = 0; row < table.RowSlots(); ++row) {
    if (!table.IsLive(row)) continue;
    out += "  <ROW";
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (table.IsNull(row, f)) continue;
      out += ' ';
      out += fields[f].name;
      out += "=\"";
      switch (fields[f].type) {
        case FieldType::String: AppendEscaped(out, table.Text(row, f)); break;
        case FieldType::Boolean: out += table.Number(row, f) ? "TRUE" : "FALSE"; break;
        default: AppendNumber(out, table.Number(row, f));
      }
      out += '"';
    }
    out += "/>\r\n";
  }
  out += " </ROWDATA>\r\n</DATAPACKET>\r\n";
  return out;
}

}  // namespace cordalis
