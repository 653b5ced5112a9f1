// Standard XML tools must read what the program writes: Python's parser gets
// the same characters the table holds.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "host/cp1252.h"
#include "db/data_packet.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

TEST(DataPacketInterop, PythonReadsTheSameCharacters) {
  TableData table({{"S", FieldType::String, 512, false, false}});
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  table.SetText(table.AddRow(), 0, every);
  table.SetText(table.AddRow(), 0, "  blanks  \r\n&<>\"'");

  testing::TempDir dir;
  std::ofstream(dir.File("t.xml"), std::ios::binary) << WriteDataPacket(table);
  std::string command = "python3 " CORDALIS_SOURCE_DIR "/tests/db/read_packet.py " + dir.File("t.xml");
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  ASSERT_EQ(pclose(pipe), 0) << output;

  std::string expected;
  for (RowId row = 0; row < 2; ++row) {
    expected += "S=";
    std::string_view text = table.Text(row, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      char hex[16];
      std::snprintf(hex, sizeof hex, i ? " %X" : "%X", static_cast<unsigned>(CodePointOfByte(static_cast<unsigned char>(text[i]))));
      expected += hex;
    }
    expected += "\n";
  }
  EXPECT_EQ(output, expected);
}

}  // namespace
}  // namespace cordalis
#endif
