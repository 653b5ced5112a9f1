#pragma once
// The table engine: loads a table file whole and saves it whole.
#include <stdexcept>
#include <string>

#include "db/table_data.h"

namespace cordalis {

class FileStore;

// The table engine itself cannot be loaded, so no table can be: the program
// tells the user to reinstall rather than calling a file damaged.
class EngineUnavailableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PacketEngine {
 public:
  virtual ~PacketEngine() = default;
  // Throws (FileError, DataPacketError, ...) when the file cannot be loaded.
  virtual TableData Load(const std::string& path) = 0;
  // Replaces the file atomically; throws when it cannot.
  virtual void Save(const std::string& path, const TableData& table) = 0;
};

// Tables stored as XML data packets through the file layer.
class XmlPacketEngine final : public PacketEngine {
 public:
  explicit XmlPacketEngine(FileStore& files) : files_(files) {}
  TableData Load(const std::string& path) override;
  void Save(const std::string& path, const TableData& table) override;

 private:
  FileStore& files_;
};

}  // namespace cordalis
