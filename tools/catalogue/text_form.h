#pragma once
// The text form of the catalogue (catalogue/README.md): tweaks, their fields
// and their actions written as "Name: value" lines, one file per category.
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"

namespace cordalis {
class FileStore;
}

namespace cordalis::catalogue {

// Appends the tweaks of one file to the catalogue and a problem for every line
// that breaks the form. Every line is read, so one run reports every fault.
void ParseTextForm(const std::string& fileName, std::string_view text, Catalogue& catalogue,
                   std::vector<Problem>& problems);

// Every *.twk file of the folder in file-name order, and the next free tweak
// number from the file NEXT when the folder has one. Throws FileError when the
// folder or a file cannot be read.
Catalogue ReadTweaksFolder(FileStore& files, const std::string& folder, std::vector<Problem>& problems);

}  // namespace cordalis::catalogue
