// The memory a load takes is bounded by the size of the file, whatever the
// file asks for. A program of its own, as it counts every allocation by
// replacing the global operator new.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "db/data_packet.h"

namespace {

struct Heap {
  bool counting = false;
  std::size_t now = 0;
  std::size_t peak = 0;
};
Heap heap;  // this program's own counter of what operator new holds

void* Allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  if (heap.counting) {
    heap.now += malloc_usable_size(p);
    if (heap.now > heap.peak) heap.peak = heap.now;
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

// The most the heap held above what it held before, while the packet loaded.
std::size_t PeakOfLoad(const std::string& packet, bool& loaded) {
  heap = Heap{true, 0, 0};
  try {
    TableData table = ReadDataPacket(packet);
    loaded = true;
  } catch (const DataPacketError&) {
    loaded = false;
  }
  heap.counting = false;
  return heap.peak;
}

std::string Fields(int count, const char* type, const char* width = nullptr) {
  std::string fields;
  for (int i = 0; i < count; ++i)
    fields += "<FIELD attrname=\"F" + std::to_string(i) + "\" fieldtype=\"" + type + "\"" +
              (width ? std::string(" WIDTH=\"") + width + "\"" : "") + "/>";
  return fields;
}

// A packet of about `bytes` bytes: the field list, then `row` repeated.
std::string Packet(const std::string& fields, const std::string& row, std::size_t bytes, const std::string& tail = "") {
  std::string packet = "<DATAPACKET><METADATA><FIELDS>" + fields + "</FIELDS></METADATA><ROWDATA>";
  while (packet.size() + row.size() < bytes) packet += row;
  return packet + tail + "</ROWDATA></DATAPACKET>";
}

TEST(DataPacketMemory, ALoadTakesMemoryInProportionToTheFile) {
  constexpr std::size_t kBytes = 4u << 20;
  std::string manyAttributes = "<DATAPACKET";
  for (int i = 0; manyAttributes.size() < kBytes; ++i) manyAttributes += " a" + std::to_string(i) + "=\"\"";
  manyAttributes += "/>";
  std::string wideRow = "<ROW";
  for (int i = 0; i < 200; ++i) wideRow += " F" + std::to_string(i) + "=\"" + std::string(100, 'x') + "\"";
  wideRow += "/>";
  std::string references;
  while (references.size() < 100000) references += "&amp;";
  struct Case {
    const char* name;
    std::string packet;
    bool loads;
  };
  const Case cases[] = {
      {"empty rows of 256 fields", Packet(Fields(256, "i4"), "<ROW/>", kBytes), false},
      {"empty rows of one field", Packet(Fields(1, "i4"), "<ROW/>", kBytes), true},
      {"rows that pay two bytes a cell", Packet(Fields(9, "i4"), "<ROW F0=\"1\" F1=\"2\"/>", kBytes), true},
      {"rows that pay less", Packet(Fields(9, "i4"), "<ROW F0=\"1\"/>", kBytes), false},
      {"good rows, then a bad one", Packet(Fields(4, "i4"), "<ROW F0=\"1\" F1=\"2\"/>", kBytes, "<ROW F9=\"1\"/>"), false},
      {"one value far wider than its field", Packet(Fields(1, "string", "10"), "", 0, "<ROW F0=\"" + std::string(kBytes, 'x') + "\"/>"), false},
      {"wide rows of text", Packet(Fields(200, "string", "100"), wideRow, kBytes), true},
      {"many attributes on one element", manyAttributes, false},
      {"texts a little too long for a record",
       Packet(Fields(4, "string", "300"), "<ROW F0=\"" + std::string(255, 'y') + "\"/>", kBytes), true},
      {"texts a block each",
       Packet(Fields(1, "string", "1048576"), "<ROW F0=\"" + std::string(300000, 'y') + "\"/>", kBytes), true},
      {"texts of references", Packet(Fields(1, "string", "100000"), "<ROW F0=\"" + references + "\"/>", kBytes), true},
  };
  for (const Case& c : cases) {
    bool loaded = false;
    const std::size_t peak = PeakOfLoad(c.packet, loaded);
    EXPECT_EQ(loaded, c.loads) << c.name;
    // A table holds less than its file: each cell takes no more than its
    // attribute's bytes, and nothing is held twice while it grows. With the
    // file itself, a load stays within three times the file.
    EXPECT_LE(peak, 2 * c.packet.size() + (1u << 20)) << c.name << ": " << c.packet.size() << " bytes";
    std::printf("[ peak ] %-36s %8zu bytes of file, %9zu bytes of memory\n", c.name, c.packet.size(), peak);
  }
}

// What a refused file asks for is not allocated before it is refused.
TEST(DataPacketMemory, RowsThatAskForMoreThanTheFilePaysForAreRefusedEarly) {
  const std::string packet = Packet(Fields(256, "i4"), "<ROW/>", 16u << 20);
  bool loaded = true;
  const std::size_t peak = PeakOfLoad(packet, loaded);
  EXPECT_FALSE(loaded);
  EXPECT_LT(peak, 1u << 20) << "refused after the first few rows";
}

}  // namespace
}  // namespace cordalis
