#include "catalogue/catalogue_tables.h"

#include <algorithm>
#include <map>

#include "controls/control_groups.h"
#include "db/dm1.h"

namespace cordalis::catalogue {
namespace {

std::size_t Field(const TableData& table, const char* name) {
  return static_cast<std::size_t>(table.FieldIndex(name));
}

void PutText(TableData& table, RowId row, const char* field, const std::string& text) {
  if (!text.empty()) table.SetText(row, Field(table, field), text);
}

void PutNumber(TableData& table, RowId row, const char* field, std::int32_t value) {
  table.SetNumber(row, Field(table, field), value);
}

std::string GetText(const TableData& table, RowId row, const char* field) {
  return std::string(table.Text(row, Field(table, field)));
}

std::int32_t GetNumber(const TableData& table, RowId row, const char* field) {
  return table.Number(row, Field(table, field));
}

}  // namespace

CatalogueTables BuildTables(const Catalogue& catalogue) {
  CatalogueTables tables{TableData(Tdm1::TweakFields()), TableData(Tdm1::ActionFields())};
  std::vector<const Tweak*> order;
  for (const Tweak& tweak : catalogue.tweaks) order.push_back(&tweak);
  std::stable_sort(order.begin(), order.end(), [](const Tweak* a, const Tweak* b) { return a->twkId < b->twkId; });
  std::int32_t highest = 0;
  for (const Tweak* tweak : order) {
    highest = std::max(highest, tweak->twkId);
    TableData& t = tables.tweaks;
    RowId row = t.AddRow();
    PutNumber(t, row, "TwkID", tweak->twkId);
    PutNumber(t, row, "Hide", 0);
    PutText(t, row, "Category", tweak->category);
    PutText(t, row, "SubCat", tweak->subCat);
    PutText(t, row, "Title", tweak->title);
    PutText(t, row, "Description", tweak->description);
    for (const Action& action : tweak->actions) {
      TableData& d = tables.actions;
      RowId a = d.AddRow();
      PutNumber(d, a, "TwkID", tweak->twkId);
      PutText(d, a, "Root", action.root);
      PutText(d, a, "Key", action.key);
      PutText(d, a, "Value", action.value);
      PutNumber(d, a, "DataType", action.dataType);
      PutNumber(d, a, "ChangeType", action.changeType);
      PutText(d, a, "Special", action.special);
      PutText(d, a, "Data", action.data);
      PutNumber(d, a, "VerMask", Low16(action.verMask));
    }
  }
  tables.tweaks.SetAutoIncValue(highest + 1);
  return tables;
}

Catalogue CatalogueFromTables(const CatalogueTables& tables, const std::string& tweaksFile,
                              const std::string& actionsFile, std::vector<Problem>& problems) {
  Catalogue catalogue;
  bool usable = true;
  if (tables.tweaks.Fields() != Tdm1::TweakFields()) {
    problems.push_back({{tweaksFile, 0}, std::nullopt, 0, "", "the fields are not those of the tweak table"});
    usable = false;
  }
  if (tables.actions.Fields() != Tdm1::ActionFields()) {
    problems.push_back({{actionsFile, 0}, std::nullopt, 0, "", "the fields are not those of the action table"});
    usable = false;
  }
  if (!usable) return catalogue;

  const TableData& t = tables.tweaks;
  std::map<std::int32_t, std::size_t> byNumber;  // the first tweak of each number
  for (RowId row = 0; row < t.RowSlots(); ++row) {
    if (!t.IsLive(row)) continue;
    Tweak tweak;
    tweak.twkId = GetNumber(t, row, "TwkID");
    tweak.hide = GetNumber(t, row, "Hide") != 0;
    tweak.category = GetText(t, row, "Category");
    tweak.subCat = GetText(t, row, "SubCat");
    tweak.title = GetText(t, row, "Title");
    tweak.description = GetText(t, row, "Description");
    tweak.origin = {tweaksFile, 0};
    byNumber.emplace(tweak.twkId, catalogue.tweaks.size());
    catalogue.tweaks.push_back(std::move(tweak));
  }

  const TableData& d = tables.actions;
  std::size_t rowNumber = 0;
  for (RowId row = 0; row < d.RowSlots(); ++row) {
    if (!d.IsLive(row)) continue;
    ++rowNumber;
    Action action;
    const std::int32_t owner = GetNumber(d, row, "TwkID");
    action.root = GetText(d, row, "Root");
    action.key = GetText(d, row, "Key");
    action.value = GetText(d, row, "Value");
    action.dataType = GetNumber(d, row, "DataType");
    action.changeType = GetNumber(d, row, "ChangeType");
    action.special = GetText(d, row, "Special");
    action.data = GetText(d, row, "Data");
    action.verMask = GetNumber(d, row, "VerMask");
    action.origin = {actionsFile, 0};
    auto tweak = byNumber.find(owner);
    if (tweak == byNumber.end()) {
      problems.push_back({{actionsFile, 0}, owner, 0, "TwkID",
                          "row " + std::to_string(rowNumber) + " is an action of a tweak that is not in " + tweaksFile});
      continue;
    }
    catalogue.tweaks[tweak->second].actions.push_back(std::move(action));
  }
  return catalogue;
}

}  // namespace cordalis::catalogue
