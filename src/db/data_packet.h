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
// memory a file may make it take (the table it builds, straight from the bytes,
// holds less than the file), refuses DOCTYPEs, undefined entities, control
// characters XML does not allow and text wider than its field, and reports
// every fault as a DataPacketError naming the line and column.
//
// Reader and writer share one size limit: the writer refuses to produce a
// packet the reader would refuse for its size, and the measures below tell
// exactly how many bytes the writer produces, so a table can be kept within
// the limit as it changes instead of finding out when it is saved.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "db/table_data.h"

namespace cordalis {

class DataPacketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest packet the reader accepts and the writer produces.
inline constexpr std::size_t kMaxPacketBytes = 64u << 20;

TableData ReadDataPacket(std::string_view bytes);
// Throws DataPacketError, naming the limit, rather than produce more than
// kMaxPacketBytes.
std::string WriteDataPacket(const TableData& table);

// The bytes of a packet must pay for its rows' cells, null or not: a row may
// be read, or written, only while the cells of the rows up to and including
// it are no more than half the bytes before it, plus a small allowance. Null
// cells cost a table nothing now, but releases that held every cell refuse a
// file that breaks this, so the writer never writes one and the reader refuses
// what they refuse.
inline constexpr std::size_t kFreeCells = 4096;
inline bool CellsPaidFor(std::size_t rows, std::size_t fields, std::size_t bytesBefore) {
  return rows * (fields == 0 ? 1 : fields) <= bytesBefore / 2 + kFreeCells;
}

// The bytes WriteDataPacket gives each part of a packet: the whole packet is
// its frame plus each live row.
std::size_t EncodedTextBytes(std::string_view text);  // inside an attribute value
std::size_t EncodedRowBytes(const FieldDefs& fields, const std::vector<CellView>& cells);
std::size_t EncodedRowBytes(const TableData& table, RowId row);
std::size_t EncodedFrameBytes(const FieldDefs& fields, std::int32_t autoIncValue);
std::size_t EncodedPacketBytes(const TableData& table);

}  // namespace cordalis
