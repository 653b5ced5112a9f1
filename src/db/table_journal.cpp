#include "db/table_journal.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "db/data_packet.h"

namespace cordalis {
namespace {

// Eight bytes that name the format, then the table file's length and hash.
constexpr std::string_view kMagic = "CDJRNL01";
constexpr std::size_t kHeaderBytes = 8 + 8 + 8;
// A journal holds at most what a run can add to a table of the largest size,
// and what its deletions and changes take besides.
constexpr std::size_t kMaxJournalBytes = 4 * kMaxPacketBytes;

enum CellTag : std::uint8_t { kNull = 0, kNumber = 1, kText = 2 };

std::uint64_t Hash64(std::string_view bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

std::uint32_t Hash32(std::string_view bytes) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

void PutUint(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Reads little-endian numbers and byte runs, refusing to read past the end.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
  bool Uint(std::uint64_t& value, int bytes) {
    if (bytes_.size() - at_ < static_cast<std::size_t>(bytes)) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint64_t{static_cast<unsigned char>(bytes_[at_ + i])} << (8 * i);
    at_ += static_cast<std::size_t>(bytes);
    return true;
  }
  bool Bytes(std::string_view& run, std::size_t size) {
    if (bytes_.size() - at_ < size) return false;
    run = bytes_.substr(at_, size);
    at_ += size;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }
  std::string_view Rest() const { return bytes_.substr(at_); }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

struct RecordCell {
  std::uint8_t tag = kNull;
  std::int32_t number = 0;
  std::string_view text;
};

// The widest text the program keeps in the field.
int KeptWidth(const FieldDef& field, const FieldDefs& keptFields) {
  for (const FieldDef& kept : keptFields)
    if (kept.name == field.name) return kept.width;
  return field.width;
}

// A row's cells as a record carries them; false when they do not fit the
// table, a text wider than the program keeps among them.
bool ReadCells(Cursor& in, const FieldDefs& fields, const FieldDefs& keptFields, std::vector<RecordCell>& cells) {
  std::uint64_t count = 0;
  if (!in.Uint(count, 4) || count != fields.size()) return false;
  cells.assign(fields.size(), RecordCell{});
  for (std::size_t f = 0; f < fields.size(); ++f) {
    std::uint64_t tag = 0, value = 0;
    if (!in.Uint(tag, 1)) return false;
    RecordCell& cell = cells[f];
    cell.tag = static_cast<std::uint8_t>(tag);
    if (tag == kNumber && fields[f].type != FieldType::String) {
      if (!in.Uint(value, 4)) return false;
      cell.number = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else if (tag == kText && fields[f].type == FieldType::String) {
      if (!in.Uint(value, 4) || !in.Bytes(cell.text, value)) return false;
      if (cell.text.size() > static_cast<std::size_t>(KeptWidth(fields[f], keptFields))) return false;
    } else if (tag != kNull) {
      return false;
    }
  }
  return in.AtEnd();
}

void SetCells(TableData& data, RowId row, const std::vector<RecordCell>& cells) {
  for (std::size_t f = 0; f < cells.size(); ++f) {
    const RecordCell& cell = cells[f];
    if (cell.tag == kNull) {
      data.SetNull(row, f);
    } else if (cell.tag == kNumber) {
      data.SetNumber(row, f, cell.number);
    } else {
      // The run that wrote it had widened the field in memory; so does this one.
      if (cell.text.size() > static_cast<std::size_t>(data.Fields()[f].width))
        data.WidenField(f, static_cast<int>(cell.text.size()));
      data.SetText(row, f, cell.text);
    }
  }
}

// Applies one record's payload, whole or not at all; false when it does not
// fit the rows as they are.
bool Apply(std::string_view payload, TableData& data, const FieldDefs& keptFields) {
  Cursor in(payload);
  std::uint64_t kind = 0, row = 0;
  if (!in.Uint(kind, 1) || !in.Uint(row, 4)) return false;
  const bool live = row < data.RowSlots() && data.IsLive(static_cast<RowId>(row));
  std::vector<RecordCell> cells;
  switch (kind) {
    case 'A':
      if (row != data.RowSlots() || !ReadCells(in, data.Fields(), keptFields, cells)) return false;
      SetCells(data, data.AddRow(), cells);
      return true;
    case 'C':
      if (!live || !ReadCells(in, data.Fields(), keptFields, cells)) return false;
      SetCells(data, static_cast<RowId>(row), cells);
      return true;
    case 'D':
      if (!live || !in.AtEnd()) return false;
      data.DeleteRow(static_cast<RowId>(row));
      return true;
    default:
      return false;
  }
}

// The records of a frame whose length is damaged, found by their own: each
// record's length leads to the next, and the frame's checksum holds over the
// records up to its real end. Nothing when no run of whole records ends where
// the checksum holds, as with a frame a crash cut short.
std::optional<std::string_view> RecordsUpToTheirChecksum(std::string_view frame) {
  Cursor in(frame);
  std::uint64_t size = 0, check = 0;
  if (!in.Uint(size, 4) || !in.Uint(check, 4)) return std::nullopt;
  const std::string_view body = in.Rest();
  std::uint32_t hash = Hash32({});
  for (std::size_t end = 0; body.size() - end >= 4;) {
    std::uint64_t length = 0;
    Cursor record(body.substr(end));
    if (!record.Uint(length, 4) || length > body.size() - end - 4) break;
    for (unsigned char c : body.substr(end, 4 + length)) hash = (hash ^ c) * 16777619u;
    end += 4 + length;
    if (hash == check) return body.substr(0, end);
  }
  return std::nullopt;
}

}  // namespace

TableJournal::TableJournal(FileStore& files, std::string tablePath, FieldDefs keptFields)
    : files_(files),
      tablePath_(std::move(tablePath)),
      path_(tablePath_ + ".journal"),
      keptFields_(std::move(keptFields)) {}

std::uint32_t TableJournal::FileRow(RowId row) const {
  if (row >= slotsAtWrite_) return static_cast<std::uint32_t>(slotsAtWrite_ - deadAtWrite_.size() + (row - slotsAtWrite_));
  const auto deadBelow = std::lower_bound(deadAtWrite_.begin(), deadAtWrite_.end(), row) - deadAtWrite_.begin();
  return static_cast<std::uint32_t>(row - static_cast<RowId>(deadBelow));
}

void TableJournal::Keep(char kind, const TableData& data, RowId row) {
  std::string payload;
  payload.push_back(kind);
  PutUint(payload, FileRow(row), 4);
  const FieldDefs& fields = data.Fields();
  PutUint(payload, fields.size(), 4);
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (data.IsNull(row, f)) {
      payload.push_back(static_cast<char>(kNull));
    } else if (fields[f].type == FieldType::String) {
      const std::string_view text = data.Text(row, f);
      payload.push_back(static_cast<char>(kText));
      PutUint(payload, text.size(), 4);
      payload.append(text);
    } else {
      payload.push_back(static_cast<char>(kNumber));
      PutUint(payload, static_cast<std::uint32_t>(data.Number(row, f)), 4);
    }
  }
  PutUint(pending_, payload.size(), 4);
  pending_ += payload;
}

void TableJournal::RowDeleted(RowId row) {
  std::string payload(1, 'D');
  PutUint(payload, FileRow(row), 4);
  PutUint(pending_, payload.size(), 4);
  pending_ += payload;
}

std::string TableJournal::TableFingerprint() {
  const std::string table = files_.Read(tablePath_, kMaxPacketBytes);
  std::string fingerprint;
  PutUint(fingerprint, table.size(), 8);
  PutUint(fingerprint, Hash64(table), 8);
  return fingerprint;
}

// The records of one write go in one frame, with its length and checksum:
// a group of changes, such as all the undo actions Delete Undo data removes,
// that a crash cut short is played not at all.
void TableJournal::Write() {
  if (pending_.empty()) return;
  std::string frame;
  frame.reserve(8 + pending_.size());
  PutUint(frame, pending_.size(), 4);
  PutUint(frame, Hash32(pending_), 4);
  frame += pending_;
  try {
    if (started_) {
      files_.AppendDurably(path_, frame);
      bytesOnDisk_ += frame.size();
    } else {
      // Begun in one replacement, so no crash leaves a journal without its
      // fingerprint or a fingerprint without its first records.
      ReplaceFileAtomically(files_, path_, std::string(kMagic) + TableFingerprint() + frame);
      started_ = true;
      bytesOnDisk_ = kHeaderBytes + frame.size();
    }
  } catch (...) {
    usable_ = false;
    throw;
  }
  pending_.clear();
}

void TableJournal::TableWritten(const TableData& data) {
  pending_.clear();
  started_ = false;
  usable_ = true;
  bytesOnDisk_ = 0;
  slotsAtWrite_ = data.RowSlots();
  deadAtWrite_.clear();
  for (RowId row = 0; row < slotsAtWrite_; ++row)
    if (!data.IsLive(row)) deadAtWrite_.push_back(row);
  try {
    files_.Remove(path_);
  } catch (const FileError&) {
    // It no longer follows the table file, so it will be passed over, and
    // the next write replaces it.
  }
}

bool TableJournal::PlayOver(TableData& data) {
  started_ = false;
  pending_.clear();
  slotsAtWrite_ = 0;  // the rows are the file's as loaded
  deadAtWrite_.clear();
  damage_.clear();
  bytesOnDisk_ = 0;
  if (!files_.Exists(path_)) return false;
  std::string journal;
  try {
    journal = files_.Read(path_, kMaxJournalBytes);
  } catch (const FileError& e) {
    if (e.Fault() != FileFault::TooLarge) throw JournalReadError(e, path_);
    damage_ = e.Reason();  // no run writes a journal this long
    return false;
  }
  if (journal.size() < kHeaderBytes || std::string_view(journal).substr(0, kMagic.size()) != kMagic ||
      journal.compare(kMagic.size(), kHeaderBytes - kMagic.size(), TableFingerprint()) != 0)
    return false;  // it follows another state of the table file
  std::string_view rest = std::string_view(journal).substr(kHeaderBytes);
  bool changed = false, whole = true;
  while (whole && !rest.empty()) {
    Cursor frame(rest);
    std::uint64_t size = 0, check = 0;
    std::string_view records;
    const bool fits = frame.Uint(size, 4) && frame.Uint(check, 4) && frame.Bytes(records, size);
    if (!fits || Hash32(records) != check) {
      if (const std::optional<std::string_view> found = RecordsUpToTheirChecksum(rest)) {
        // The records are whole; only the length before them is not. A crash
        // never writes a wrong length, so this is damage, and the frames after
        // it still follow.
        damage_ = "the length of one of its parts is damaged";
        records = *found;
      } else {
        // A crash cuts short only the last frame, which is then played not at
        // all: it reaches the end of the file, or the disk gave back zeros.
        const bool last = !fits || frame.AtEnd();
        if (!last && rest.find_first_not_of('\0') != std::string_view::npos)
          damage_ = "a part of it that is not its end cannot be read";
        whole = false;
        break;
      }
    }
    for (Cursor in(records); whole && !in.AtEnd();) {
      std::string_view payload;
      whole = in.Uint(size, 4) && in.Bytes(payload, size) && Apply(payload, data, keptFields_);
      changed = changed || whole;
    }
    if (!whole) damage_ = "it records a change that does not fit the table";
    rest.remove_prefix(8 + records.size());
  }
  // A whole journal goes on; one cut short or damaged is begun afresh, after
  // the table file has been written whole if anything was played.
  started_ = whole && damage_.empty();
  if (started_) bytesOnDisk_ = journal.size();
  return changed;
}

}  // namespace cordalis
