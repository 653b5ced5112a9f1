#pragma once
// What the catalogue covers: tweaks per category and subcategory and per
// platform, which tweaks use each control kind, root code, change type and
// data type, and which tweaks change the same place.
#include <string>

#include "catalogue/catalogue.h"

namespace cordalis::catalogue {

std::string SummaryText(const Catalogue& catalogue);

}  // namespace cordalis::catalogue
