#include "db/data_packet.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "db/packet_engine.h"
#include "db/schema.h"
#include "doubles/memory_file_store.h"
#include "host/cp1252.h"

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
  for (int b = 0; b < 256; ++b) text += static_cast<char>(b);
  return text;
}

// The error a packet gives, or "" when it loads.
std::string LoadError(std::string_view packet) {
  try {
    ReadDataPacket(packet);
    return "";
  } catch (const DataPacketError& e) {
    return e.what();
  }
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

// Every byte of every text field of the four tables survives a save and a
// load, and the file never holds a control character XML forbids.
TEST(DataPacket, EveryByteRoundTripsInEveryTextFieldOfTheTables) {
  const std::string every = EveryByte();
  for (const FieldDefs* fields : {&schema::TweakFields(), &schema::ActionFields(), &schema::UndoFields(),
                                  &schema::NoteFields()}) {
    TableData table(*fields);
    for (std::size_t f = 0; f < fields->size(); ++f) {
      if ((*fields)[f].type != FieldType::String) continue;
      const std::size_t width = static_cast<std::size_t>((*fields)[f].width);
      for (std::size_t at = 0; at < every.size(); at += width) table.SetText(table.AddRow(), f, every.substr(at, width));
    }
    const std::string packet = WriteDataPacket(table);
    const std::string& name = fields->back().name;
    for (std::size_t i = 0; i < packet.size(); ++i)
      ASSERT_FALSE(IsXmlForbiddenControl(static_cast<unsigned char>(packet[i]))) << name << " at " << i;
    TableData back = ReadDataPacket(packet);
    ASSERT_EQ(back.RowSlots(), table.RowSlots()) << name;
    for (RowId row = 0; row < table.RowSlots(); ++row)
      for (std::size_t f = 0; f < fields->size(); ++f) {
        EXPECT_EQ(back.IsNull(row, f), table.IsNull(row, f)) << name << " " << row << "/" << f;
        EXPECT_EQ(back.Text(row, f), table.Text(row, f)) << name << " " << row << "/" << f;
      }
    EXPECT_EQ(EncodedPacketBytes(table), packet.size()) << name << ": the measure is what is written";
  }
}

TEST(DataPacket, TextWiderThanItsDeclaredFieldIsDamageNeverCut) {
  const std::string note = R"(<FIELD attrname="TwkID" fieldtype="i4"/><FIELD attrname="Note" fieldtype="string" WIDTH="4096"/>)";
  const std::string undo = R"(<FIELD attrname="TwkID" fieldtype="i4"/><FIELD attrname="Key" fieldtype="string" WIDTH="255"/>)";
  auto repeat = [](const std::string& piece, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += piece;
    return text;
  };
  struct Case {
    const char* name;
    std::string packet;
    bool loads;
  };
  const Case cases[] = {
      {"exactly the width", Packet("<ROW S=\"" + repeat("x", 20) + "\"/>"), true},
      {"one more", Packet("<ROW S=\"" + repeat("x", 21) + "\"/>"), false},
      {"a reference is one character", Packet("<ROW S=\"" + repeat("&amp;", 20) + "\"/>"), true},
      {"references past the width", Packet("<ROW S=\"" + repeat("&#65;", 21) + "\"/>"), false},
      {"a line break is one blank", Packet("<ROW S=\"" + repeat("\r\n", 20) + "\"/>"), true},
      {"UTF-8 counts characters", "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"S\" fieldtype=\"string\" WIDTH=\"2\"/></FIELDS></METADATA><ROWDATA><ROW S=\"\xC3\xA9\xE2\x82\xAC\"/></ROWDATA></DATAPACKET>", true},
      {"a note of 4097 characters", Packet(R"(<ROW TwkID="1" Note=")" + repeat("n", 4097) + "\"/>", note), false},
      {"an undo key past its file's WIDTH", Packet(R"(<ROW TwkID="1" Key=")" + repeat("k", 256) + "\"/>", undo), false},
      {"a huge value", Packet("<ROW S=\"" + std::string(20u << 20, 'x') + "\"/>"), false},
  };
  for (const Case& c : cases) {
    const std::string error = LoadError(c.packet);
    EXPECT_EQ(error.empty(), c.loads) << c.name << ": " << error;
    if (!c.loads) {
      EXPECT_EQ(error.rfind("line 1, column ", 0), 0u) << c.name << ": " << error;
      EXPECT_NE(error.find("is wider than its WIDTH of "), std::string::npos) << c.name << ": " << error;
    }
  }

  TableData table(SampleFields());
  table.SetText(table.AddRow(), 3, "kept");
  EXPECT_THROW(table.SetText(0, 3, std::string(4097, 'x')), std::length_error) << "a program fault, reported";
  EXPECT_EQ(table.Text(0, 3), "kept");
}

// Reader and writer agree to the byte on the largest packet, and a table that
// would be larger is refused before anything reaches the disk.
TEST(DataPacket, WriterAndReaderShareOneSizeLimit) {
  const FieldDefs fields = {{"S", FieldType::String, 1 << 20, false, false}};
  TableData table(fields);
  const std::string half(1u << 19, '\x01');  // eight bytes each when written
  for (std::size_t bytes = EncodedPacketBytes(table); bytes + 8 * half.size() + 100 < kMaxPacketBytes;) {
    const RowId row = table.AddRow();
    table.SetText(row, 0, half);
    bytes += EncodedRowBytes(table, row);
  }
  const RowId last = table.AddRow();
  table.SetText(last, 0, "");
  const std::size_t room = kMaxPacketBytes - EncodedPacketBytes(table);
  table.SetText(last, 0, std::string(room / 8, '\x01') + std::string(room % 8, 'a'));
  ASSERT_EQ(EncodedPacketBytes(table), kMaxPacketBytes);

  const std::string largest = WriteDataPacket(table);
  EXPECT_EQ(largest.size(), kMaxPacketBytes);
  EXPECT_EQ(ReadDataPacket(largest).Text(last, 0), table.Text(last, 0));

  table.SetText(last, 0, std::string(table.Text(last, 0)) + "a");
  try {
    WriteDataPacket(table);
    ADD_FAILURE() << "a packet one byte too large was written";
  } catch (const DataPacketError& e) {
    EXPECT_NE(std::string(e.what()).find(std::to_string(kMaxPacketBytes) + " bytes"), std::string::npos) << e.what();
  }

  testing::MemoryFileStore files;
  files.files["t.xml"] = "the old table";
  const int changes = files.changes;
  XmlPacketEngine engine(files);
  EXPECT_THROW(engine.Save("t.xml", table), DataPacketError);
  EXPECT_EQ(files.changes, changes) << "nothing was written";
  EXPECT_EQ(files.files, (std::map<std::string, std::string>{{"t.xml", "the old table"}}));
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
      {"reference to nothing", Packet(R"(<ROW S="&#;"/>)"), "malformed character reference"},
      {"reference to NUL", Packet(R"(<ROW S="&#0;"/>)"), "&#0; is a control character"},
      {"reference to 0x01", Packet(R"(<ROW S="a&#1;"/>)"), "&#1; is a control character"},
      {"reference to 0x1F", Packet(R"(<ROW S="&#x1F;"/>)"), "&#x1F; is a control character"},
      {"raw NUL", Packet(std::string("<ROW S=\"a\0b\"/>", 14)), "control character 0x00"},
      {"raw 0x01", Packet("<ROW S=\"\x01\"/>"), "control character 0x01"},
      {"raw 0x1F", Packet("<ROW S=\"ab\x1F\"/>"), "control character 0x1F"},
      {"NUL in a title", Packet(std::string("<ROW Title=\"Hide\0\"/>", 20), R"(<FIELD attrname="Title" fieldtype="string" WIDTH="255"/>)"), "control character 0x00"},
      {"control in a comment", "<!-- \x01 -->" + Packet(""), "control character 0x01"},
      {"control in the declaration", "<?xml version=\"1.0\x02\"?>" + Packet(""), "control character 0x02"},
      {"control in an attribute read past", "<DATAPACKET Version=\"2\x03\"/>", "control character 0x03"},
      {"reference read past", "<DATAPACKET Version=\"&#4;\"/>", "&#4; is a control character"},
      {"control in a field name", Packet("", R"(<FIELD attrname="A&#5;" fieldtype="i4"/>)"), "&#5; is a control character"},
      {"repeat found in file order", "<DATAPACKET b='' a='' b='' a=''/>", "attribute b is given twice"},
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
  EXPECT_NE(LoadError(Packet(rows, fields)).find("pay for"), std::string::npos);

  // And the writer refuses such a table rather than write what would not load.
  TableData empty(ReadDataPacket(Packet("", fields)).Fields());
  for (int i = 0; i < 2000; ++i) empty.AddRow();
  EXPECT_THROW(WriteDataPacket(empty), DataPacketError);

  EXPECT_THROW(ReadDataPacket(std::string(kMaxPacketBytes + 1, ' ')), DataPacketError);
}

}  // namespace
}  // namespace cordalis
