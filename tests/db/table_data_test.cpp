#include "db/table_data.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace cordalis {
namespace {

// A field of each kind; texts of every length class: empty, inside a record,
// just too long for one, a piece in a shared block, a block of its own.
FieldDefs Fields() {
  return {
      {"N", FieldType::I4, 0, false, false},      {"B", FieldType::Boolean, 0, false, false},
      {"S", FieldType::String, 1 << 20, false, false}, {"T", FieldType::String, 300, false, false},
      {"H", FieldType::I2, 0, false, false},
  };
}
const std::size_t kTextLengths[] = {0, 1, 254, 255, 300, 4096, 70000, 300000};

struct Cell {
  bool null = true;
  std::int32_t number = 0;
  std::string text;
};
using Row = std::optional<std::vector<Cell>>;  // nothing for a deleted row

// What the table must hold, kept the plain way.
struct Model {
  std::vector<Row> rows;
  std::size_t TextBytes() const {
    std::size_t bytes = 0;
    for (const Row& row : rows)
      if (row)
        for (const Cell& cell : *row) bytes += cell.text.size();
    return bytes;
  }
};

void ExpectSameRow(const TableData& table, const Model& model, RowId row, const std::string& step) {
  ASSERT_EQ(table.IsLive(row), model.rows[row].has_value()) << step << ", row " << row;
  if (!model.rows[row]) return;
  std::vector<CellView> cells;
  table.ReadRow(row, cells);
  for (std::size_t f = 0; f < Fields().size(); ++f) {
    const Cell& want = (*model.rows[row])[f];
      const bool text = Fields()[f].type == FieldType::String;
      ASSERT_EQ(table.IsNull(row, f), want.null) << step << ", row " << row << " field " << f;
      ASSERT_EQ(table.Number(row, f), text || want.null ? 0 : want.number) << step << ", row " << row << " field " << f;
      ASSERT_EQ(table.Text(row, f), want.text) << step << ", row " << row << " field " << f;
      ASSERT_EQ(cells[f].null, want.null) << step << ", row " << row << " field " << f;
      ASSERT_EQ(cells[f].text, table.Text(row, f)) << step << ", row " << row << " field " << f;
      ASSERT_EQ(cells[f].number, table.Number(row, f)) << step << ", row " << row << " field " << f;
  }
}

void ExpectSame(const TableData& table, const Model& model, const std::string& step) {
  ASSERT_EQ(table.RowSlots(), model.rows.size()) << step;
  std::size_t live = 0;
  for (RowId row = 0; row < model.rows.size(); ++row) {
    live += model.rows[row].has_value();
    ASSERT_NO_FATAL_FAILURE(ExpectSameRow(table, model, row, step));
  }
  ASSERT_EQ(table.LiveRowCount(), live) << step;
}

// Adds, deletes and changes rows at random, texts of every length class and
// numbers at their extremes among them, and checks the table against the
// plain model after each step and in copies; the waste replaced texts leave
// is given back as it grows.
TEST(TableData, HoldsEveryCellThroughEveryKindOfChange) {
  std::mt19937 random(20261);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  auto text = [&](std::size_t most) {
    std::size_t length = kTextLengths[pick(std::size(kTextLengths))];
    std::string t(std::min(length, most), '\0');
    const unsigned start = random(), stride = random() | 1;
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<char>(start + i * stride);  // every byte value
    return t;
  };
  auto number = [&](std::size_t f) -> std::int32_t {
    const std::int32_t extremes[] = {0,     1,     -1,        63,        64,     -65,  127,
                                     128,   16383, 16384,     INT32_MIN, INT32_MAX, -32768, 32767};
    if (Fields()[f].type == FieldType::Boolean) return static_cast<std::int32_t>(pick(2));
    if (Fields()[f].type == FieldType::I2) return static_cast<std::int16_t>(random());
    return pick(2) ? extremes[pick(std::size(extremes))] : static_cast<std::int32_t>(random());
  };
  auto anyCell = [&](std::size_t f) {
    Cell cell;
    if (pick(4) == 0) return cell;
    cell.null = false;
    if (Fields()[f].type == FieldType::String) {
      cell.text = text(static_cast<std::size_t>(Fields()[f].width));
    } else {
      cell.number = number(f);
    }
    return cell;
  };

  TableData table(Fields());
  Model model;
  std::size_t mostHeld = 0;
  for (int step = 0; step < 3000; ++step) {
    std::vector<RowId> live;
    for (RowId row = 0; row < model.rows.size(); ++row)
      if (model.rows[row]) live.push_back(row);
    const std::size_t kind = live.empty() ? 0 : pick(6);
    std::string what;
    RowId touched = 0;
    if (kind == 0) {
      what = "add";
      model.rows.emplace_back(std::vector<Cell>(Fields().size()));
      touched = table.AddRow();
      ASSERT_EQ(touched, model.rows.size() - 1);
    } else if (kind == 1 && pick(3) == 0) {
      const RowId row = touched = live[pick(live.size())];
      what = "delete " + std::to_string(row);
      model.rows[row].reset();
      table.DeleteRow(row);
    } else if (kind == 2) {
      const RowId row = touched = live[pick(live.size())];
      what = "set the row " + std::to_string(row);
      std::vector<Cell> cells;
      std::vector<CellView> views;
      for (std::size_t f = 0; f < Fields().size(); ++f) cells.push_back(anyCell(f));
      for (const Cell& c : cells) views.push_back(CellView{c.null, c.number, c.text});
      model.rows[row] = cells;
      table.SetRow(row, views);
    } else if (kind == 3) {
      const RowId row = touched = live[pick(live.size())];
      const RowId from = live[pick(live.size())];
      const std::size_t f = 2 + pick(2);
      what = "copy a text of row " + std::to_string(from) + " to row " + std::to_string(row);
      Cell& cell = (*model.rows[row])[f];
      cell = Cell{false, 0, (*model.rows[from])[f].text};
      table.SetText(row, f, table.Text(from, f));  // a text the table itself holds
    } else {
      const RowId row = touched = live[pick(live.size())];
      const std::size_t f = pick(Fields().size());
      what = "set field " + std::to_string(f) + " of row " + std::to_string(row);
      const Cell cell = anyCell(f);
      (*model.rows[row])[f] = cell;
      if (cell.null) {
        table.SetNull(row, f);
      } else if (Fields()[f].type == FieldType::String) {
        table.SetText(row, f, cell.text);
      } else {
        table.SetNumber(row, f, cell.number);
      }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectSameRow(table, model, touched, "step " + std::to_string(step) + ", " + what));
    if (step % 50 == 49) {
      ASSERT_NO_FATAL_FAILURE(ExpectSame(table, model, "step " + std::to_string(step)));
    }
    if (step % 500 == 499) {
      const TableData copy(table);
      ASSERT_NO_FATAL_FAILURE(ExpectSame(copy, model, "a copy at step " + std::to_string(step)));
      TableData assigned;
      assigned = copy;
      ASSERT_NO_FATAL_FAILURE(ExpectSame(assigned, model, "a copy assigned at step " + std::to_string(step)));
    }
    // What replaced and deleted rows leave is given back once it is most of
    // what the table holds: the table never holds far more than its rows.
    EXPECT_LE(table.HeldBytes(), 3 * model.TextBytes() + 32 * model.rows.size() + (4u << 20)) << "step " << step;
    mostHeld = std::max(mostHeld, table.HeldBytes());
  }
  EXPECT_GT(mostHeld, 4u << 20) << "the steps made enough waste to be given back";
}

TEST(TableData, RefusesWhatItCannotHoldAndChangesNothing) {
  TableData table(Fields());
  const RowId row = table.AddRow();
  table.SetText(row, 3, "kept");
  table.SetNumber(row, 0, 7);
  std::vector<CellView> cells(Fields().size());
  cells[0] = CellView{false, 8, {}};
  cells[3] = CellView{false, 0, std::string(301, 'x')};  // wider than T
  EXPECT_THROW(table.SetRow(row, cells), std::length_error);
  EXPECT_THROW(table.AddRow(cells), std::length_error);
  EXPECT_EQ(table.RowSlots(), 1u) << "no row added";
  EXPECT_EQ(table.Text(row, 3), "kept");
  EXPECT_EQ(table.Number(row, 0), 7);

  FieldDefs tooMany;
  for (int i = 0; i < 257; ++i) tooMany.push_back({"F" + std::to_string(i), FieldType::I4, 0, false, false});
  EXPECT_THROW(TableData{tooMany}, std::length_error);
  tooMany.pop_back();
  TableData widest(tooMany);
  const RowId full = widest.AddRow();
  for (std::size_t f = 0; f < tooMany.size(); ++f) widest.SetNumber(full, f, static_cast<std::int32_t>(f) - 100);
  for (std::size_t f = 0; f < tooMany.size(); ++f)
    EXPECT_EQ(widest.Number(full, f), static_cast<std::int32_t>(f) - 100);
}

}  // namespace
}  // namespace cordalis
