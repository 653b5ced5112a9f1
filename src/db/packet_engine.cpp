#include "db/packet_engine.h"

#include "db/data_packet.h"
#include "host/file_store.h"

namespace cordalis {

TableData XmlPacketEngine::Load(const std::string& path) {
  std::string bytes = files_.Read(path, kMaxPacketBytes);
  try {
    return ReadDataPacket(bytes);
  } catch (const DataPacketError& e) {
    throw DataPacketError(path + ": " + e.what());
  }
}

void XmlPacketEngine::Save(const std::string& path, const TableData& table) {
  ReplaceFileAtomically(files_, path, WriteDataPacket(table));
}

}  // namespace cordalis
