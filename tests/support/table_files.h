#pragma once
// Builds table files for tests from rows written as text.
#include <initializer_list>
#include <string>
#include <vector>

#include "db/data_packet.h"
#include "db/dm1.h"
#include "host/file_store.h"

namespace cordalis::testing {

// One row: the text of each field in order; "" leaves the field null.
using RowText = std::vector<std::string>;

inline TableData MakeTable(const FieldDefs& fields, const std::vector<RowText>& rows) {
  TableData table(fields);
  for (const RowText& values : rows) {
    RowId row = table.AddRow();
    for (std::size_t f = 0; f < values.size() && f < fields.size(); ++f) {
      if (values[f].empty()) continue;
      if (fields[f].type == FieldType::String)
        table.SetText(row, f, values[f]);
      else if (fields[f].type == FieldType::Boolean)
        table.SetNumber(row, f, values[f] == "TRUE");
      else
        table.SetNumber(row, f, std::stoi(values[f]));
    }
  }
  return table;
}

inline void WriteTable(FileStore& files, const std::string& path, const FieldDefs& fields,
                       const std::vector<RowText>& rows) {
  ReplaceFileAtomically(files, path, WriteDataPacket(MakeTable(fields, rows)));
}

// A small catalogue: tweaks 1, 2 and 5; actions of 1 and 5 interleaved in storage.
inline void WriteSampleCatalogue(FileStore& files, const std::string& folder) {
  WriteTable(files, PathInFolder(folder, "Twks.xml"), Tdm1::TweakFields(),
             {{"5", "FALSE", "Desktop", "", "Fifth", "Desc 5"},
              {"1", "FALSE", "Explorer", "Menus", "First", "Desc 1"},
              {"2", "TRUE", "Explorer", "", "Second", "Desc 2"}});
  WriteTable(files, PathInFolder(folder, "Data.xml"), Tdm1::ActionFields(),
             {{"1", "HKCU", "Software\\A", "One", "1", "1", "", "x", "63"},
              {"5", "HKLM", "Software\\B", "", "0", "0", "", "", "32"},
              {"1", "HKCU", "Software\\A", "Two", "4", "1", "", "7", "63"},
              {"5", "HKCR", "Software\\C", "", "0", "2", "", "", "1"}});
}

}  // namespace cordalis::testing
