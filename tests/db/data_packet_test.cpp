#include "db/data_packet.h"

#include <gtest/gtest.h>

#include <string>

namespace cordalis {
namespace {

FieldDefs SampleFields() {
  return {
      {"TwkID", FieldType::I4, 0, true, true},
      {"Flag", FieldType::Boolean, 0, false, false},
      {"Small", FieldType::I2, 0, false, false},
      {"Text", FieldType::String, 4096, false, false},
  };
}

std::string Packet(const std::string& rows, const std::string& fields = R"(<FIELD attrname="N" fieldtype="i4"/><FIELD attrname="S" fieldtype="string" WIDTH="20"/>)") {
  return "<?xml version=\"1.0\" encoding=\"windows-1252\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
         "</FIELDS></METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

std::string EveryByte() {
  std::string text;
  for (int b = 1; b < 256; ++b) text += static_cast<char>(b);
  return text;
}

TEST(DataPacket, RoundTripKeepsEveryValueExactly) {
  TableData table(SampleFields());
  const std::string texts[] = {EveryByte(), "  leading and trailing  ", "line\r\nbreak\ttab\"quote\"&amp;<>'", "",
                               "\r\n\r\n", std::string("\x81\x8D\x8F\x90\x9D\x80\xFF", 7)};
  for (const std::string& text : texts) {
    RowId row = table.AddRow();
    table.SetNumber(row, 0, table.TakeAutoIncValue());
    table.SetNumber(row, 1, 1);
    table.SetNumber(row, 2, -32768);
    table.SetText(row, 3, text);
  }
  RowId extremes = table.AddRow();
  table.SetNumber(extremes, 0, INT32_MIN);
  table.SetNumber(extremes, 1, 0);
  table.SetNumber(extremes, 2, 32767);  // Text stays null

  TableData back = ReadDataPacket(WriteDataPacket(table));
  ASSERT_EQ(back.Fields(), table.Fields());
  EXPECT_EQ(back.AutoIncValue(), table.AutoIncValue());
  ASSERT_EQ(back.LiveRowCount(), table.LiveRowCount());
  for (RowId row = 0; row < table.RowSlots(); ++row) {
    for (std::size_t f = 0; f < 4; ++f) {
      EXPECT_EQ(back.IsNull(row, f), table.IsNull(row, f)) << row << "/" << f;
      EXPECT_EQ(back.Number(row, f), table.Number(row, f)) << row << "/" << f;
      EXPECT_EQ(back.Text(row, f), table.Text(row, f)) << row << "/" << f;
    }
  }
  // Writing what was read gives the same bytes: nothing drifts over many saves.
  EXPECT_EQ(WriteDataPacket(back), WriteDataPacket(table));
}

TEST(DataPacket, DeletedRowsAreNotSaved) {
  TableData table(SampleFields());
  for (int i = 0; i < 3; ++i) table.SetText(table.AddRow(), 3, "row" + std::to_string(i));
  table.DeleteRow(1);
  TableData back = ReadDataPacket(WriteDataPacket(table));
  ASSERT_EQ(back.RowSlots(), 2u);
  EXPECT_EQ(back.Text(0, 3), "row0");
  EXPECT_EQ(back.Text(1, 3), "row2");
}

TEST(DataPacket, TextIsCutToTheFieldWidthWhenStored) {
  TableData table = ReadDataPacket(Packet(R"(<ROW N="1" S="abcdefghijklmnopqrstuvwxyz"/>)"));
  EXPECT_EQ(table.Text(0, 1), "abcdefghijklmnopqrst");
  table.SetText(0, 1, std::string(100, 'x'));
  EXPECT_EQ(table.Text(0, 1).size(), 20u);
}

TEST(DataPacket, ReadsWhatOtherWritersProduce) {
  struct Case {
    const char* name;
    std::string packet;
    std::string expected;
  };
  const Case cases[] = {
      {"single quotes and comments", "<!-- c --><DATAPACKET><METADATA><FIELDS><FIELD attrname='S' fieldtype='string' WIDTH='9'/></FIELDS><PARAMS LCID='1033'/></METADATA><ROWDATA><!-- r --><ROW S='a&apos;b'></ROW></ROWDATA></DATAPACKET>\n", "a'b"},
      {"UTF-8 without declaration", "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"S\" fieldtype=\"string\" WIDTH=\"9\"/></FIELDS></METADATA><ROWDATA><ROW S=\"caf\xC3\xA9 \xE2\x82\xAC\"/></ROWDATA></DATAPACKET>", "caf\xE9 \x80"},
      {"stray high byte in a UTF-8 file", "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"S\" fieldtype=\"string\" WIDTH=\"9\"/></FIELDS></METADATA><ROWDATA><ROW S=\"caf\xE9\"/></ROWDATA></DATAPACKET>", "caf\xE9"},
      {"literal line breaks become blanks", Packet("<ROW N=\"1\" S=\"a\r\nb\tc\nd\"/>"), "a b c d"},
      {"character references", Packet("<ROW N=\"1\" S=\"&#65;&#x42;&#8364;&#129;&#xE001;\"/>"), "AB\x80\x81\x01"},
      {"BOM", "\xEF\xBB\xBF" + Packet("<ROW S=\"x\"/>"), "x"},
  };
  for (const Case& c : cases) {
    TableData table = ReadDataPacket(c.packet);
    int s = table.FieldIndex("S");
    ASSERT_EQ(table.RowSlots(), 1u) << c.name;
    EXPECT_EQ(table.Text(0, static_cast<std::size_t>(s)), c.expected) << c.name;
  }
}

TEST(DataPacket, AutoIncrementContinuesAfterTheHighestNumber) {
  const std::string fields = R"(<FIELD attrname="N" fieldtype="i4" SUBTYPE="Autoinc"/>)";
  EXPECT_EQ(ReadDataPacket(Packet(R"(<ROW N="7"/><ROW N="3"/>)", fields)).AutoIncValue(), 8);
  std::string withParam = Packet(R"(<ROW N="7"/>)", fields);
  withParam.replace(withParam.find("</METADATA>"), 0, "<PARAMS AUTOINCVALUE=\"50\"/>");
  EXPECT_EQ(ReadDataPacket(withParam).AutoIncValue(), 50);
}

TEST(DataPacket, MalformedInputFailsWithItsPlace) {
  struct Case {
    const char* name;
    std::string packet;
    const char* message;  // a part of the error text
  };
  const Case cases[] = {
      {"empty file", "", "no data packet"},
      {"wrong root element", "<TABLE/>", "root element is <TABLE>"},
      {"unknown field type", Packet("", R"(<FIELD attrname="X" fieldtype="r8"/>)"), "unknown fieldtype 'r8'"},
      {"string without width", Packet("", R"(<FIELD attrname="X" fieldtype="string"/>)"), "has no WIDTH"},
      {"field defined twice", Packet("", R"(<FIELD attrname="X" fieldtype="i4"/><FIELD attrname="x" fieldtype="i4"/>)"), "defined twice"},
      {"row attribute with no field", Packet(R"(<ROW N="1" Z="2"/>)"), "Z names no field"},
      {"duplicate attribute", Packet(R"(<ROW N="1" N="2"/>)"), "given twice"},
      {"duplicate field attribute", Packet("", R"(<FIELD attrname="X" attrname="Y" fieldtype="i4"/>)"), "given twice"},
      {"number with letters", Packet(R"(<ROW N="12a"/>)"), "is not a 32-bit number"},
      {"number too large", Packet(R"(<ROW N="2147483648"/>)"), "is not a 32-bit number"},
      {"i2 out of range", Packet(R"(<ROW N="40000"/>)", R"(<FIELD attrname="N" fieldtype="i2"/>)"), "16-bit"},
      {"boolean neither", Packet(R"(<ROW B="yes"/>)", R"(<FIELD attrname="B" fieldtype="boolean"/>)"), "TRUE or FALSE"},
      {"undefined entity", Packet(R"(<ROW S="&nbsp;"/>)"), "undefined entity &nbsp;"},
      {"bare ampersand", Packet(R"(<ROW S="a & b"/>)"), "starts no reference"},
      {"reference to nothing", Packet(R"(<ROW S="&#0;"/>)"), "malformed character reference"},
      {"character outside windows-1252", Packet(R"(<ROW S="&#x4E00;"/>)"), "U+4E00 cannot be held"},
      {"DOCTYPE", "<!DOCTYPE x [<!ENTITY a \"aaaa\">]>" + Packet(""), "DOCTYPE is not allowed"},
      {"unquoted value", "<DATAPACKET Version=2/>", "must be quoted"},
      {"mismatched end tag", "<DATAPACKET><METADATA></FIELDS>", "does not close <METADATA>"},
      {"text in content", Packet("hello"), "text is not allowed inside <ROWDATA>"},
      {"no metadata", "<DATAPACKET><ROWDATA/></DATAPACKET>", "comes before <METADATA>"},
      {"trailing junk", Packet("") + "<more/>", "after </DATAPACKET>"},
      {"unsupported encoding", "<?xml version=\"1.0\" encoding=\"EBCDIC\"?><DATAPACKET/>", "not supported"},
      {"less-than in a value", Packet(R"(<ROW S="a<b"/>)"), "'<' inside an attribute value"},
  };
  for (const Case& c : cases) {
    try {
      ReadDataPacket(c.packet);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const DataPacketError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("line ", 0), 0u) << c.name << ": " << e.what();
    }
  }
}

TEST(DataPacket, ErrorsNameLineAndColumn) {
  try {
    ReadDataPacket("<DATAPACKET>\n <METADATA>\n  <FIELDS>\n   <FIELD attrname=\"A\" fieldtype=\"x\"/>");
    FAIL();
  } catch (const DataPacketError& e) {
    EXPECT_EQ(std::string(e.what()).substr(0, 18), "line 4, column 10:");
  }
}

TEST(DataPacket, EveryTruncationOfAValidFileFailsCleanly) {
  TableData table(SampleFields());
  for (int i = 0; i < 3; ++i) {
    RowId row = table.AddRow();
    table.SetNumber(row, 0, i);
    table.SetText(row, 3, "a&b\r\n\x81");
  }
  const std::string whole = WriteDataPacket(table);
  // Cutting inside the final end tag's trailing line break still leaves a whole packet.
  const std::size_t complete = whole.rfind("</DATAPACKET>") + std::string("</DATAPACKET>").size();
  for (std::size_t n = 0; n < complete; ++n)
    EXPECT_THROW(ReadDataPacket(std::string_view(whole).substr(0, n)), DataPacketError) << n;
}

TEST(DataPacket, HostileShapesAreBounded) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  EXPECT_THROW(ReadDataPacket("<DATAPACKET><METADATA>" + deep), DataPacketError);

  // A file of empty rows over many fields may not make the table far larger than the file.
  std::string fields;
  for (int i = 0; i < 256; ++i) fields += "<FIELD attrname=\"F" + std::to_string(i) + "\" fieldtype=\"i4\"/>";
  std::string rows;
  for (int i = 0; i < 2000; ++i) rows += "<ROW/>";
  EXPECT_THROW(ReadDataPacket(Packet(rows, fields)), DataPacketError);

  // A huge attribute is read, and held only to its field's width.
  std::string huge(20u << 20, 'x');
  TableData table = ReadDataPacket(Packet("<ROW S=\"" + huge + "\"/>"));
  EXPECT_EQ(table.Text(0, 1).size(), 20u);

  EXPECT_THROW(ReadDataPacket(std::string(kMaxPacketBytes + 1, ' ')), DataPacketError);
}

}  // namespace
}  // namespace cordalis
