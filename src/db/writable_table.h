#pragma once
// The write protocol's one guard: it clears a table's read-only mark for a
// group of changes and sets it again, which saves the table, however the group
// ends. Finish() sets it and reports a failure to save; when the group ends in
// an error instead, a row left in edit is dropped and a failure to save is
// swallowed, since the group's own error is the one to show.
#include "db/client_data_set.h"

namespace cordalis {

class WritableTable {
 public:
  explicit WritableTable(ClientDataSet& table) : table_(table) { table_.SetReadOnly(false); }
  void Finish() { table_.SetReadOnly(true); }
  ~WritableTable() {
    if (table_.ReadOnly()) return;
    table_.Cancel();
    try {
      table_.SetReadOnly(true);
    } catch (...) {
      // Already unwinding from the group's own error, which is the one to show.
    }
  }
  WritableTable(const WritableTable&) = delete;
  WritableTable& operator=(const WritableTable&) = delete;

 private:
  ClientDataSet& table_;
};

}  // namespace cordalis
