#include "catalogue/catalogue_files.h"

#include <filesystem>

#include "catalogue/catalogue_check.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/text_form.h"
#include "db/data_packet.h"
#include "db/dm1.h"
#include "host/file_store.h"

namespace cordalis::catalogue {
namespace {

void AddRecordProblems(LoadedCatalogue& loaded) {
  std::vector<Problem> records = CheckCatalogue(loaded.catalogue);
  loaded.problems.insert(loaded.problems.end(), records.begin(), records.end());
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

LoadedCatalogue LoadTweaksFolder(FileStore& files, const std::string& folder) {
  LoadedCatalogue loaded;
  loaded.catalogue = ReadTweaksFolder(files, folder, loaded.problems);
  AddRecordProblems(loaded);
  return loaded;
}

LoadedCatalogue LoadTableFiles(FileStore& files, const std::string& tweaksPath, const std::string& actionsPath) {
  LoadedCatalogue loaded;
  CatalogueTables tables;
  bool readable = true;
  for (auto [path, table] : {std::pair{&tweaksPath, &tables.tweaks}, std::pair{&actionsPath, &tables.actions}}) {
    try {
      *table = ReadDataPacket(files.Read(*path, kMaxPacketBytes));
    } catch (const DataPacketError& e) {
      loaded.problems.push_back({{*path, 0}, std::nullopt, 0, "", e.what()});
      readable = false;
    }
  }
  if (!readable) return loaded;
  loaded.catalogue = CatalogueFromTables(tables, FileName(tweaksPath), FileName(actionsPath), loaded.problems);
  AddRecordProblems(loaded);
  return loaded;
}

std::vector<Problem> BuildTableFiles(FileStore& files, const std::string& tweaksFolder, const std::string& outFolder) {
  LoadedCatalogue loaded = LoadTweaksFolder(files, tweaksFolder);
  if (!loaded.problems.empty()) return loaded.problems;
  CatalogueTables tables = BuildTables(loaded.catalogue);
  ReplaceFileAtomically(files, PathInFolder(outFolder, "Twks.xml"), WriteDataPacket(tables.tweaks));
  ReplaceFileAtomically(files, PathInFolder(outFolder, "Data.xml"), WriteDataPacket(tables.actions));
  return {};
}

}  // namespace cordalis::catalogue
