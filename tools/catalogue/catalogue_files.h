#pragma once
// The tool's commands on files, apart from the command line: load and check a
// catalogue from the text form or from the two tables, and build the tables.
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace cordalis {
class FileStore;
}

namespace cordalis::catalogue {

struct LoadedCatalogue {
  Catalogue catalogue;
  std::vector<Problem> problems;  // of the form first, then of the records
};

// The *.twk files of a folder, parsed and checked.
LoadedCatalogue LoadTweaksFolder(FileStore& files, const std::string& folder);

// Twks.xml and Data.xml, read and checked; a file that is no data packet is
// reported as a problem.
LoadedCatalogue LoadTableFiles(FileStore& files, const std::string& tweaksPath, const std::string& actionsPath);

// Writes Twks.xml and Data.xml into outFolder, each replaced atomically, from the
// *.twk files of tweaksFolder. Nothing is written when the catalogue has a
// problem, since a table would silently cut or misread it; the problems are
// returned.
std::vector<Problem> BuildTableFiles(FileStore& files, const std::string& tweaksFolder, const std::string& outFolder);

}  // namespace cordalis::catalogue
