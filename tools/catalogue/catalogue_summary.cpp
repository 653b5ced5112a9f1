#include "catalogue/catalogue_summary.h"

#include <map>
#include <set>

#include "catalogue/catalogue_overlaps.h"
#include "db/record_codes.h"
#include "host/platform.h"
#include "host/text.h"

namespace cordalis::catalogue {
namespace {

// Actions and the tweaks they belong to, under one heading of a section.
struct Use {
  std::size_t actions = 0;
  std::set<std::int32_t> tweaks;
};
using Section = std::map<std::string, Use>;

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

void AppendSection(std::string& out, const char* title, const Section& section) {
  out += std::string("\n") + title + "\n";
  for (const auto& [name, use] : section) {
    std::string line = "  " + PadRight(name, 16) + PadLeft(std::to_string(use.actions), 4) + " actions " +
                       PadLeft(std::to_string(use.tweaks.size()), 4) + " tweaks:";
    const std::size_t indent = line.size();
    for (std::int32_t id : use.tweaks) {
      const std::string number = " " + std::to_string(id);
      if (line.size() + number.size() > 100) {
        out += line + "\n";
        line = std::string(indent, ' ');
      }
      line += number;
    }
    out += line + "\n";
  }
}

std::string CodeHeading(std::int32_t code, std::string_view name) {
  return std::to_string(code) + " " + (name.empty() ? std::string("(out of range)") : std::string(name));
}

std::uint16_t TweakMask(const Tweak& tweak) {
  std::uint16_t mask = 0;
  for (const Action& action : tweak.actions) mask |= static_cast<std::uint16_t>(action.verMask);
  return mask;
}

// Per platform: the tweaks whose actions name it, and for a Windows version
// the tweaks shown on it in some set-up (with or without the desktop update
// where it may be missing, with any Internet Explorer or none), which counts
// the tweaks marked only for the desktop update or a browser as well.
void AppendPlatforms(std::string& out, const Catalogue& catalogue) {
  out += "\nPlatforms (tweaks)\n";
  for (const PlatformName& platform : kPlatformNames) {
    std::size_t marked = 0, shown = 0;
    const bool windows = (platform.bit & 0x003F) != 0;
    for (const Tweak& tweak : catalogue.tweaks) {
      const std::uint16_t mask = TweakMask(tweak);
      if (mask & platform.bit) ++marked;
      if (!windows) continue;
      for (std::uint16_t current : PossibleCurrentMasks())
        if ((current & platform.bit) && PlatformApplies(mask, current)) {
          ++shown;
          break;
        }
    }
    std::string line = "  " + PadRight(platform.name, 16) + PadLeft(std::to_string(marked), 4) + " marked";
    if (windows) line += " " + PadLeft(std::to_string(shown), 4) + " shown";
    out += line + "\n";
  }
}

// Places that two tweaks change on a system that runs both; in the text form,
// whether the two name each other as alternatives a user chooses between.
void AppendSharedWrites(std::string& out, const Catalogue& catalogue) {
  out += "\nPlaces changed by more than one tweak\n";
  const std::vector<SharedWrite> shared = SharedWrites(catalogue);
  if (shared.empty()) out += "  (none)\n";
  std::set<std::string> listed;  // split actions of one place on two families name it once
  for (const SharedWrite& write : shared) {
    const Tweak& first = catalogue.tweaks[write.firstTweak];
    const Tweak& second = catalogue.tweaks[write.secondTweak];
    std::string line = "  " + std::to_string(first.twkId) + " and " + std::to_string(second.twkId) + ": " +
                       PlaceText(first.actions[write.firstAction]);
    if (catalogue.fromTextForm)
      line += NameEachOther(first, second) ? " (alternatives)" : " (NOT named as alternatives)";
    if (listed.insert(line).second) out += line + "\n";
  }
}

}  // namespace

std::string SummaryText(const Catalogue& catalogue) {
  std::map<std::string, std::map<std::string, std::size_t>> categories;
  Section kinds, roots, changes, types;
  for (const Tweak& tweak : catalogue.tweaks) {
    ++categories[tweak.category][tweak.subCat];
    for (const Action& action : tweak.actions) {
      std::set<std::string> keywords;  // an action counts once under each keyword it carries
      if (action.special.empty()) keywords.insert("(none)");
      for (const std::string& piece : SplitPieces(action.special)) {
        const int kind = KeywordCode(piece);
        keywords.insert(kind ? std::string(ControlKeyword(kind)) : "(not a keyword)");
      }
      for (const std::string& keyword : keywords) {
        ++kinds[keyword].actions;
        kinds[keyword].tweaks.insert(tweak.twkId);
      }
      for (auto [section, heading] :
           {std::pair{&roots, action.root.empty() ? std::string("(empty)") : action.root},
            std::pair{&changes, CodeHeading(action.changeType, ChangeTypeName(action.changeType))},
            std::pair{&types, CodeHeading(action.dataType, DataTypeName(action.dataType))}}) {
        ++(*section)[heading].actions;
        (*section)[heading].tweaks.insert(tweak.twkId);
      }
    }
  }

  std::string out = std::to_string(catalogue.tweaks.size()) + " tweaks, " + std::to_string(ActionCount(catalogue)) +
                    " actions\n\nCategories (tweaks)\n";
  for (const auto& [category, subCats] : categories) {
    std::size_t total = 0;
    for (const auto& [subCat, count] : subCats) total += count;
    out += "  " + PadRight(category, 30) + PadLeft(std::to_string(total), 4) + "\n";
    for (const auto& [subCat, count] : subCats)
      out += "    " + PadRight(subCat.empty() ? "(no subcategory)" : subCat, 28) +
             PadLeft(std::to_string(count), 4) + "\n";
  }
  AppendPlatforms(out, catalogue);
  AppendSection(out, "Control kinds", kinds);
  AppendSection(out, "Root codes", roots);
  AppendSection(out, "Change types", changes);
  AppendSection(out, "Data types", types);
  AppendSharedWrites(out, catalogue);
  return out;
}

}  // namespace cordalis::catalogue
