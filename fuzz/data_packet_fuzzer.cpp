// Any input either fails with a DataPacketError or loads; a loaded table,
// saved and loaded again, is the same table.
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
  const std::string saved = WriteDataPacket(table);
  TableData again = ReadDataPacket(saved);  // must not throw
  if (WriteDataPacket(again) != saved) std::abort();
  return 0;
}
