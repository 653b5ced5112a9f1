#include "catalogue/catalogue_overlaps.h"

#include <algorithm>

#include "db/record_codes.h"
#include "host/platform.h"
#include "host/text.h"

namespace cordalis::catalogue {
namespace {

bool IsKeyChange(std::int32_t changeType) { return changeType == ctAddKey || changeType == ctDeleteKey; }
bool Changes(std::int32_t changeType) { return changeType >= ctAddKey && changeType <= ctDeleteValue; }

// A key path as the Registry compares it: letter case ignored, no "\" at
// either end.
std::string KeyPath(const std::string& key) {
  std::string path = ToLowerAscii(key);
  while (!path.empty() && path.front() == '\\') path.erase(0, 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool AtOrBelow(const std::string& path, const std::string& key) {
  return path == key || (path.size() > key.size() && path.compare(0, key.size(), key) == 0 && path[key.size()] == '\\');
}

// An action's place, compared many times over, worked out once.
struct Place {
  const Action* action;
  std::string key;    // KeyPath
  std::string value;  // lower case
};

Place PlaceOf(const Action& a) { return {&a, KeyPath(a.key), ToLowerAscii(a.value)}; }

bool SamePlace(const Place& a, const Place& b) {
  const Action& x = *a.action;
  const Action& y = *b.action;
  if (!Changes(x.changeType) || !Changes(y.changeType) || x.root != y.root || !IsValidRootCode(x.root)) return false;
  if (x.changeType == ctDeleteKey && AtOrBelow(b.key, a.key)) return true;
  if (y.changeType == ctDeleteKey && AtOrBelow(a.key, b.key)) return true;
  return !IsKeyChange(x.changeType) && !IsKeyChange(y.changeType) && a.key == b.key && a.value == b.value;
}

std::vector<std::uint16_t> ComputePossibleCurrentMasks() {
  const std::uint16_t windows[] = {pm95, pm95 | pmWDU, pm98 | pmWDU, pmME | pmWDU, pmNT4,
                                   pmNT4 | pmWDU, pm2000 | pmWDU, pmXP | pmWDU, 0};
  const std::uint16_t browsers[] = {0, pmIE4, pmIE5, pmIE6};
  std::vector<std::uint16_t> masks;
  for (std::uint16_t w : windows)
    for (std::uint16_t b : browsers) masks.push_back(static_cast<std::uint16_t>(w | b));
  return masks;
}

}  // namespace

const std::vector<std::uint16_t>& PossibleCurrentMasks() {
  static const std::vector<std::uint16_t> masks = ComputePossibleCurrentMasks();
  return masks;
}

bool SomeSystemRunsBoth(std::uint16_t a, std::uint16_t b) {
  const std::vector<std::uint16_t>& masks = PossibleCurrentMasks();
  return std::any_of(masks.begin(), masks.end(),
                     [&](std::uint16_t current) { return PlatformApplies(a, current) && PlatformApplies(b, current); });
}

bool ChangeSamePlace(const Action& a, const Action& b) { return SamePlace(PlaceOf(a), PlaceOf(b)); }

std::string PlaceText(const Action& action) {
  const std::string key = action.root + "\\" + action.key;
  return IsKeyChange(action.changeType) ? key : key + " \"" + action.value + "\"";
}

bool IsPolicyAction(const Action& action) {
  if (!Changes(action.changeType)) return false;
  const std::string path = "\\" + KeyPath(action.key) + "\\";
  return path.find("\\policies\\") != std::string::npos;
}

std::vector<SharedWrite> SharedWrites(const Catalogue& catalogue) {
  struct Entry {
    std::size_t tweak, action;
    Place place;
  };
  std::vector<Entry> entries;
  for (std::size_t t = 0; t < catalogue.tweaks.size(); ++t)
    for (std::size_t a = 0; a < catalogue.tweaks[t].actions.size(); ++a)
      if (Changes(catalogue.tweaks[t].actions[a].changeType))
        entries.push_back({t, a, PlaceOf(catalogue.tweaks[t].actions[a])});
  std::vector<SharedWrite> shared;
  for (std::size_t i = 0; i < entries.size(); ++i)
    for (std::size_t j = i + 1; j < entries.size(); ++j) {
      const Entry& x = entries[i];
      const Entry& y = entries[j];
      if (x.tweak == y.tweak || !SamePlace(x.place, y.place)) continue;
      if (!SomeSystemRunsBoth(static_cast<std::uint16_t>(x.place.action->verMask),
                              static_cast<std::uint16_t>(y.place.action->verMask)))
        continue;
      shared.push_back({x.tweak, x.action, y.tweak, y.action});
    }
  return shared;
}

bool NameEachOther(const Tweak& a, const Tweak& b) {
  auto names = [](const Tweak& t, std::int32_t id) {
    return std::find(t.alternatives.begin(), t.alternatives.end(), id) != t.alternatives.end();
  };
  return names(a, b.twkId) && names(b, a.twkId);
}

}  // namespace cordalis::catalogue
