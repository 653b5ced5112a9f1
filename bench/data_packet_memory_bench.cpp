// The memory a table takes to open, against the size of its file, for every
// shape of table: the users' machines have 16 to 256 MB, and a table may be as
// large as a table file may be.
//
// Each case writes its file, then opens it in a process of its own (this
// program started again with --open-table), so that nothing another case
// allocated or freed blurs the figure. That process opens the table as the
// program does, file read and index included, and reports the most its heap
// held above what it held before and how far its resident memory grew; then
// the most its heap held while it saved the table again, the table included.
// A case that takes more than three times its file ends in an error.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <new>
#include <sstream>
#include <string>

#include "db/client_data_set.h"
#include "db/data_packet.h"
#include "db/packet_engine.h"
#include "db/schema.h"
#include "host/file_store.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

struct Heap {
  bool counting = false;
  std::size_t now = 0;
  std::size_t peak = 0;
};
Heap heap;  // what operator new holds, in the process that opens a table

void* Allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  if (heap.counting) {
    heap.now += malloc_usable_size(p);
    heap.peak = std::max(heap.peak, heap.now);
  }
  return p;
}

void Release(void* p) {
  if (!p) return;
  if (heap.counting) heap.now -= std::min(heap.now, malloc_usable_size(p));
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace cordalis {
namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kMostPerByteOfFile = 3.0;

// A figure of this process's status file, in bytes.
std::size_t StatusBytes(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(name) + ":";
  while (std::getline(status, line))
    if (line.compare(0, prefix.size(), prefix) == 0) return std::stoul(line.substr(prefix.size())) * 1024;
  return 0;
}

// The process a case starts: opens the table as the program opens Undo.xml,
// indexed on TwkID, and saves it again as the program does when it closes.
// Prints the heap's peak while opening, its growth of resident memory, the
// rows it holds, and the heap's peak while saving, the open table included.
int OpenTable(const std::string& path) {
  const std::size_t residentBefore = StatusBytes("VmRSS");
  XmlPacketEngine engine(SystemFileStore());
  ClientDataSet table("table", engine);
  table.FileName = path;
  table.SetIndexField(schema::kTwkID);
  heap = Heap{true, 0, 0};
  table.Open();
  const std::size_t openPeak = heap.peak;
  const std::size_t residentPeak = StatusBytes("VmHWM");
  heap.peak = heap.now;
  engine.Save(path + ".saved", table.Data());
  heap.counting = false;
  std::printf("%zu %zu %d %zu\n", openPeak, residentPeak - std::min(residentPeak, residentBefore), table.RecordCount(),
              heap.peak);
  return 0;
}

std::string ThisProgram() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) throw std::runtime_error("cannot find this program");
  return std::string(path, static_cast<std::size_t>(n));
}

// A table of rows made by row(i), as the program writes it, as close to
// `bytes` as whole rows allow.
std::string TableOf(const FieldDefs& fields, std::size_t bytes,
                    const std::function<void(TableData&, RowId, int)>& row) {
  TableData table(fields);
  std::size_t size = EncodedFrameBytes(fields, table.AutoIncValue());
  for (int i = 0;; ++i) {
    const RowId added = table.AddRow();
    row(table, added, i);
    size += EncodedRowBytes(table, added);
    if (size > bytes) {
      table.DeleteRow(added);
      break;
    }
  }
  return WriteDataPacket(table);
}

void UndoRow(TableData& t, RowId row, int i, std::size_t dataLength) {
  static const char* roots[] = {"HKCU", "HKLM", "HKCR", "HKU", "HKCC"};
  t.SetNumber(row, 0, i + 1);  // a tweak of its own
  t.SetText(row, 1, roots[i % 5]);
  t.SetText(row, 2, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced" + std::to_string(i % 97));
  t.SetText(row, 3, "ShowSuperHidden");
  t.SetNumber(row, 4, 4);
  t.SetNumber(row, 5, 1);
  std::string data = std::to_string(i);
  data.resize(dataLength, 'A' + static_cast<char>(i % 6));
  t.SetText(row, 7, data);
}

// Fields F0, F1, ... of one type.
FieldDefs ManyFields(int count, FieldType type, int width) {
  FieldDefs fields;
  for (int i = 0; i < count; ++i) fields.push_back({"F" + std::to_string(i), type, width, false, false});
  return fields;
}

std::string Shape(int shape, std::size_t bytes) {
  switch (shape) {
    case 0:  // undo actions of a tweak each
      return TableOf(schema::UndoFields(), bytes, [](TableData& t, RowId r, int i) { UndoRow(t, r, i, 8); });
    case 1:  // rows that hold a tweak number and nothing else: the most rows a file can hold
      return TableOf(schema::UndoFields(), bytes, [](TableData& t, RowId r, int i) { t.SetNumber(r, 0, i + 1); });
    case 2:  // undo actions that restore large binary values, as hex text
      return TableOf(schema::UndoFields(), bytes, [](TableData& t, RowId r, int i) { UndoRow(t, r, i, 6000); });
    case 3:  // notes of the greatest length
      return TableOf(schema::NoteFields(), bytes, [](TableData& t, RowId r, int i) {
        t.SetNumber(r, 0, i + 1);
        t.SetText(r, 1, std::string(4096, 'a' + static_cast<char>(i % 26)));
      });
    case 4:  // many short number fields
      return TableOf(ManyFields(200, FieldType::I2, 0), bytes, [](TableData& t, RowId r, int i) {
        for (std::size_t f = 0; f < 200; ++f) t.SetNumber(r, f, (i + static_cast<int>(f)) % 10);
      });
    case 5:  // many short text fields
      return TableOf(ManyFields(200, FieldType::String, 1), bytes, [](TableData& t, RowId r, int) {
        for (std::size_t f = 0; f < 200; ++f) t.SetText(r, f, "x");
      });
    default:  // empty rows of one field: the cheapest row there is
      return TableOf({{schema::kTwkID, FieldType::I4, 0, false, false}}, bytes, [](TableData&, RowId, int) {});
  }
}

void BM_OpenTableMemory(benchmark::State& state) {
  const int shape = static_cast<int>(state.range(0));
  const std::size_t wanted = static_cast<std::size_t>(state.range(1)) << 20;
  testing::TempDir folder;
  const std::string path = folder.File("table.xml");
  std::size_t fileBytes = 0;
  {
    const std::string packet = Shape(shape, std::min(wanted, kMaxPacketBytes));
    fileBytes = packet.size();
    std::ofstream(path, std::ios::binary).write(packet.data(), static_cast<std::streamsize>(packet.size()));
  }
  std::size_t heapPeak = 0, residentGrowth = 0, rows = 0, savePeak = 0;
  for (auto _ : state) {
    testing::ChildProcess child(ThisProgram(), {"--open-table", path});
    std::istringstream report(child.ReadLine());
    if (!(report >> heapPeak >> residentGrowth >> rows >> savePeak)) {
      state.SkipWithError("the table did not open");
      return;
    }
  }
  const double heapRatio = static_cast<double>(heapPeak) / static_cast<double>(fileBytes);
  const double residentRatio = static_cast<double>(residentGrowth) / static_cast<double>(fileBytes);
  state.counters["file_MiB"] = static_cast<double>(fileBytes) / kMiB;
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["heap_MiB"] = static_cast<double>(heapPeak) / kMiB;
  state.counters["heap_x_file"] = heapRatio;
  state.counters["rss_MiB"] = static_cast<double>(residentGrowth) / kMiB;
  state.counters["rss_x_file"] = residentRatio;
  const double saveRatio = static_cast<double>(savePeak) / static_cast<double>(fileBytes);
  state.counters["save_heap_x_file"] = saveRatio;
  if (heapRatio > kMostPerByteOfFile || residentRatio > kMostPerByteOfFile || saveRatio > kMostPerByteOfFile) {
    char what[240];
    std::snprintf(what, sizeof what,
                  "more than three times the file: heap %.1f MiB (%.2fx), resident %.1f MiB (%.2fx), saving %.2fx, "
                  "for %.1f MiB",
                  static_cast<double>(heapPeak) / kMiB, heapRatio, static_cast<double>(residentGrowth) / kMiB,
                  residentRatio, saveRatio, static_cast<double>(fileBytes) / kMiB);
    state.SkipWithError(what);
  }
}

void Shapes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"shape", "MiB"});
  for (int shape = 0; shape <= 6; ++shape) b->Args({shape, 16});
  b->Args({0, 64});  // the largest table file
  b->Args({1, 64});
}
BENCHMARK(BM_OpenTableMemory)->Apply(Shapes)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cordalis

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--open-table") return cordalis::OpenTable(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
