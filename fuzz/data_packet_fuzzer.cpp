// Any input either fails with a DataPacketError or loads; a loaded table the
// writer agrees to save loads again as the same table, and a copy of it saves
// as the same bytes. (The writer may refuse a table whose input paid for its
// empty cells with bytes it does not write, such as comments, since it never
// writes what the reader would refuse.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "db/data_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cordalis;
  TableData table;
  try {
    table = ReadDataPacket(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const DataPacketError&) {
    return 0;
  }
  std::string saved;
  try {
    saved = WriteDataPacket(table);
  } catch (const DataPacketError&) {
    return 0;
  }
  if (saved.size() != EncodedPacketBytes(table)) std::abort();
  TableData again = ReadDataPacket(saved);  // must not throw
  if (WriteDataPacket(again) != saved) std::abort();
  const TableData copy(table);
  if (WriteDataPacket(copy) != saved) std::abort();
  return 0;
}
