#pragma once
#include <string>

namespace cordalis {

class Tdm1;

// One line on what the data module holds, for the window shown while the
// program has no tree of its own yet.
std::string LoadSummary(Tdm1& dm);

}  // namespace cordalis
