#pragma once
// The catalogue as the two shipped tables, Twks.xml and Data.xml, and back.
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "db/table_data.h"

namespace cordalis::catalogue {

struct CatalogueTables {
  TableData tweaks;   // the fields of cdsTwks, ordered by tweak number
  TableData actions;  // the fields of cdsData, each tweak's actions in the order written
};

// Tweaks by number (the order of the tweak table), none hidden, the next
// automatic number one above the highest; empty texts are left null.
CatalogueTables BuildTables(const Catalogue& catalogue);

// The catalogue that two tables hold, each record's origin naming its file.
// Tables that lack the program's exact field lists, and actions that belong
// to no tweak, are reported.
Catalogue CatalogueFromTables(const CatalogueTables& tables, const std::string& tweaksFile,
                              const std::string& actionsFile, std::vector<Problem>& problems);

}  // namespace cordalis::catalogue
