#pragma once
// Where actions meet: whether some system runs two actions, and whether two
// actions change the same place in the Registry. Undo takes back what one
// tweak recorded, so two changes of one place that a system runs together
// are undone wrongly unless a user applies only one of them.
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace cordalis::catalogue {

// Every current platform mask the program can compute at start-up: one
// Windows (with the desktop update where it may be absent), or none that it
// recognises, and at most one Internet Explorer.
const std::vector<std::uint16_t>& PossibleCurrentMasks();

// True when some system runs both masks, so an action marked 95 and one marked
// IE5 meet (Windows 95 with Internet Explorer 5) though they share no bit.
bool SomeSystemRunsBoth(std::uint16_t a, std::uint16_t b);

// True when the two actions change the same value, or one deletes a key and
// the other changes something at or below it (root codes compared exactly,
// keys and value names without regard to letter case). Adding a key and
// setting values inside it is no such pair.
bool ChangeSamePlace(const Action& a, const Action& b);

// "HKCU\Key" for a key action, "HKCU\Key "Value"" otherwise.
std::string PlaceText(const Action& action);

// True when the action changes a value or key below a "Policies" key.
bool IsPolicyAction(const Action& action);

// Two actions of different tweaks that change the same place on a system that
// runs both; tweaks are positions in the catalogue, first before second,
// actions 0-based.
struct SharedWrite {
  std::size_t firstTweak = 0;
  std::size_t firstAction = 0;
  std::size_t secondTweak = 0;
  std::size_t secondAction = 0;
};
std::vector<SharedWrite> SharedWrites(const Catalogue& catalogue);

// True when each of the two tweaks names the other in Alternatives:.
bool NameEachOther(const Tweak& a, const Tweak& b);

}  // namespace cordalis::catalogue
