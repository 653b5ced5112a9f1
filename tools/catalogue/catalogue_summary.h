#pragma once
// What the catalogue covers: tweaks per category and subcategory, and which
// tweaks use each control kind, root code, change type and data type.
#include <string>

#include "catalogue/catalogue.h"

namespace cordalis::catalogue {

std::string SummaryText(const Catalogue& catalogue);

}  // namespace cordalis::catalogue
