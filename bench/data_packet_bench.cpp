// Loading and saving a large Data.xml, beside pugixml's DOM parse of the same
// bytes as the reference for what a fast XML reader costs: a reader that
// builds compact rows straight from the bytes should take at most three
// quarters of its time. And loading an element of very many attributes.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <ctime>

#include "db/data_packet.h"
#include "db/dm1.h"

namespace cordalis {
namespace {

// 100,000 actions shaped like the catalogue's: paths, value names, control
// specifications, some escaped characters and a few high bytes.
const std::string& LargeDataPacket() {
  static const std::string packet = [] {
    TableData table(Tdm1::ActionFields());
    const char* roots[] = {"HKCU", "HKLM", "HKCR", "HKU", "HKCC"};
    for (int i = 0; i < 100000; ++i) {
      RowId row = table.AddRow();
      table.SetNumber(row, 0, i / 3 + 1);
      table.SetText(row, 1, roots[i % 5]);
      table.SetText(row, 2, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Sub" + std::to_string(i));
      table.SetText(row, 3, i % 4 ? "NoRecentDocsMenu" : "");
      table.SetNumber(row, 4, i % 5);
      table.SetNumber(row, 5, i % 5);
      if (i % 3 == 0) table.SetText(row, 6, "toggle");
      table.SetText(row, 7, i % 7 ? "Hide the \"Documents\" menu|1|0" : "01 A0 FF & caf\xE9 <\x80>");
      table.SetNumber(row, 8, 0x0A3F);
    }
    return WriteDataPacket(table);
  }();
  return packet;
}

void BM_LoadDataPacket(benchmark::State& state) {
  const std::string& packet = LargeDataPacket();
  for (auto _ : state) {
    TableData table = ReadDataPacket(packet);
    benchmark::DoNotOptimize(table.RowSlots());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * packet.size()));
  state.counters["rows"] = 100000;
}
BENCHMARK(BM_LoadDataPacket)->Unit(benchmark::kMillisecond);

void BM_PugixmlParseReference(benchmark::State& state) {
  const std::string& packet = LargeDataPacket();
  for (auto _ : state) {
    pugi::xml_document document;
    pugi::xml_parse_result result = document.load_buffer(packet.data(), packet.size());
    benchmark::DoNotOptimize(result.status);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * packet.size()));
}
BENCHMARK(BM_PugixmlParseReference)->Unit(benchmark::kMillisecond);

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The two above timed in turn on this thread's own clock, so that a machine
// busy with other work slows neither more than the other; "ratio" is the
// load's time over pugixml's, at most 0.75 where the reader earns its keep.
void BM_LoadToPugixmlRatio(benchmark::State& state) {
  const std::string& packet = LargeDataPacket();
  double loadSeconds = 0, pugixmlSeconds = 0;
  for (auto _ : state) {
    double start = ThreadSeconds();
    {
      TableData table = ReadDataPacket(packet);
      benchmark::DoNotOptimize(table.RowSlots());
    }
    loadSeconds += ThreadSeconds() - start;
    start = ThreadSeconds();
    {
      pugi::xml_document document;
      pugi::xml_parse_result result = document.load_buffer(packet.data(), packet.size());
      benchmark::DoNotOptimize(result.status);
    }
    pugixmlSeconds += ThreadSeconds() - start;
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["load_ms"] = loadSeconds / runs * 1000;
  state.counters["pugixml_ms"] = pugixmlSeconds / runs * 1000;
  state.counters["ratio"] = loadSeconds / pugixmlSeconds;
}
BENCHMARK(BM_LoadToPugixmlRatio)->Unit(benchmark::kMillisecond);

void BM_SaveDataPacket(benchmark::State& state) {
  TableData table = ReadDataPacket(LargeDataPacket());
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string packet = WriteDataPacket(table);
    bytes = packet.size();
    benchmark::DoNotOptimize(packet.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_SaveDataPacket)->Unit(benchmark::kMillisecond);

// One element with many attributes, all of them checked for a repeated name:
// the check must not grow with the square of their number.
std::string ManyAttributes(int count) {
  std::string packet = "<DATAPACKET";
  for (int i = 0; i < count; ++i) packet += " a" + std::to_string(i) + "=\"\"";
  return packet + "><METADATA><FIELDS><FIELD attrname=\"N\" fieldtype=\"i4\"/></FIELDS></METADATA></DATAPACKET>";
}

void BM_LoadManyAttributesOnOneElement(benchmark::State& state) {
  const std::string packet = ManyAttributes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TableData table = ReadDataPacket(packet);
    benchmark::DoNotOptimize(table.RowSlots());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * packet.size()));
  state.counters["attributes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LoadManyAttributesOnOneElement)->Arg(10000)->Arg(40000)->Arg(160000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cordalis
