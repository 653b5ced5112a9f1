#pragma once
// The XML form of a data packet: one whole table, its field list and its rows.
//
//   <?xml version="1.0" encoding="windows-1252" standalone="yes"?>
//   <DATAPACKET Version="2.0">
//    <METADATA>
//     <FIELDS><FIELD attrname="TwkID" fieldtype="i4" .../>...</FIELDS>
//     <PARAMS AUTOINCVALUE="101"/>
//    </METADATA>
//    <ROWDATA><ROW TwkID="1" .../>...</ROWDATA>
//   </DATAPACKET>
//
// The reader treats its input as hostile: it bounds nesting, field count and the
// cells a file may ask for, refuses DOCTYPEs and undefined entities, and reports
// every fault as a DataPacketError naming the line and column.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "db/table_data.h"

namespace cordalis {

class DataPacketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kMaxPacketBytes = 64u << 20;

TableData ReadDataPacket(std::string_view bytes);
std::string WriteDataPacket(const TableData& table);

}  // namespace cordalis
