// The Registry contract: how the Registry calls behave, as the program
// relies on them. Every case runs against the in-memory Registry, made for
// each family of Windows, and, in Windows builds, against the machine's own
// Registry (Wine's, under the test scripts, in each Windows mode), so that
// what the in-memory Registry shows other tests is true of Windows. Where
// Wine and Windows NT are known to differ, or the Windows 95 family and NT, a
// case says what each one does; memory_registry.h lists those differences.
//
// Each case works only below a fresh key HKCU\Software\CordalisContract\<name>
// that it creates first and removes, with everything below it, at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "doubles/memory_registry.h"
#include "host/registry_api.h"

#ifdef _WIN32
#include "host/host_queries.h"
#include "host/platform.h"
#endif

namespace cordalis {
namespace {

constexpr long kErrorBadPathname = 161;
constexpr std::uint32_t kRegQword = 11;

// Which Registry a case is talking to; decides the few expectations that differ.
enum class Flavor { kMemory, kWine, kWindows };

struct Implementation {
  const char* name;
  std::shared_ptr<RegistryApi> (*make)();
  RegistryFamily (*family)();
};

void PrintTo(const Implementation& implementation, std::ostream* out) { *out << implementation.name; }

std::shared_ptr<RegistryApi> MakeMemoryRegistry() { return std::make_shared<MemoryRegistry>(); }
std::shared_ptr<RegistryApi> MakeMemory95Registry() {
  return std::make_shared<MemoryRegistry>(RegistryFamily::kWindows95);
}
RegistryFamily Nt() { return RegistryFamily::kNt; }
RegistryFamily Windows95Family() { return RegistryFamily::kWindows95; }

#ifdef _WIN32
// The system Registry lives for the whole program; the pointer does not own it.
std::shared_ptr<RegistryApi> MakeSystemRegistry() {
  return std::shared_ptr<RegistryApi>(std::shared_ptr<void>(), &SystemRegistry());
}
RegistryFamily SystemFamily() {
  return NtFamily(SystemHostQueries()) ? RegistryFamily::kNt : RegistryFamily::kWindows95;
}
#endif

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X ", b);
    out += hex;
  }
  return out;
}

// Bytes 0x01-0xFF in order, then the terminating zero.
std::string EveryByteString() {
  std::string s;
  for (int b = 1; b <= 0xFF; ++b) s += static_cast<char>(b);
  return s + '\0';
}

using Names = std::vector<std::string>;

std::string AsciiUpper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

constexpr char kSandboxParent[] = "Software\\CordalisContract";

std::string FreshSandboxName() {
  static const unsigned run = std::random_device{}();
  static std::atomic<unsigned> counter{0};
  return "Run" + std::to_string(run) + "-" + std::to_string(++counter);
}

class RegistryContract : public ::testing::TestWithParam<Implementation> {
 protected:
  void SetUp() override {
    keeper_ = GetParam().make();
    reg_ = keeper_.get();
    flavor_ = FlavorOf(*reg_);
    windows95_ = GetParam().family() == RegistryFamily::kWindows95;
    path_ = std::string(kSandboxParent) + "\\" + FreshSandboxName();
    bool created = false;
    ASSERT_EQ(reg_->CreateKey(kHkeyCurrentUser, path_, kKeyAllAccess, &box_, &created), kErrorSuccess);
    ASSERT_TRUE(created) << "the sandbox key must be new: " << path_;
  }

  void TearDown() override {
    for (HKey key : open_) reg_->CloseKey(key);
    open_.clear();
    if (box_) reg_->CloseKey(box_);
    RemoveTree(kHkeyCurrentUser, path_);
    HKey left = 0;
    EXPECT_EQ(reg_->OpenKey(kHkeyCurrentUser, path_, kKeyRead, &left), kErrorFileNotFound)
        << "the sandbox key was left behind: " << path_;
    if (left) reg_->CloseKey(left);
    // The shared parent goes with the last sandbox in it (refused while others remain).
    reg_->DeleteKey(kHkeyCurrentUser, kSandboxParent);
  }

  // Wine keeps its own settings under HKLM\Software\Wine; Windows has no such key.
  static Flavor FlavorOf(RegistryApi& reg) {
    if (dynamic_cast<MemoryRegistry*>(&reg)) return Flavor::kMemory;
    HKey wine = 0;
    if (reg.OpenKey(kHkeyLocalMachine, "Software\\Wine", kKeyRead, &wine) != kErrorSuccess) return Flavor::kWindows;
    reg.CloseKey(wine);
    return Flavor::kWine;
  }
  bool OnWine() const { return flavor_ == Flavor::kWine; }
  bool Windows95() const { return windows95_; }

  // The bytes a value set with these keeps: the Windows 95 family keeps a
  // REG_SZ up to its first zero, and a terminating zero.
  std::string Kept(std::uint32_t type, const std::string& given) const {
    if (!Windows95() || type != kRegSz) return given;
    return given.substr(0, given.find('\0')) + '\0';
  }

  // Removes a key and everything below it, depth first, with the port's own calls.
  bool RemoveTree(HKey parent, const std::string& subKey) {
    HKey key = 0;
    if (reg_->OpenKey(parent, subKey, kKeyRead, &key) != kErrorSuccess) return false;
    std::string child;
    bool removed = true;
    while (removed && reg_->EnumKey(key, 0, &child) == kErrorSuccess) removed = RemoveTree(key, child);
    reg_->CloseKey(key);
    return removed && reg_->DeleteKey(parent, subKey) == kErrorSuccess;
  }

  HKey Track(HKey key) {
    if (key != 0 && !IsPredefinedRoot(key)) open_.push_back(key);
    return key;
  }
  long Close(HKey key) {
    open_.erase(std::remove(open_.begin(), open_.end(), key), open_.end());
    return reg_->CloseKey(key);
  }

  // parent\subKey, created when missing; parent 0 is the sandbox key.
  HKey Create(const std::string& subKey, HKey parent = 0, std::uint32_t access = kKeyAllAccess) {
    HKey key = 0;
    bool created = false;
    EXPECT_EQ(reg_->CreateKey(parent ? parent : box_, subKey, access, &key, &created), kErrorSuccess)
        << "creating " << subKey;
    return Track(key);
  }
  HKey Open(const std::string& subKey, HKey parent = 0, std::uint32_t access = kKeyAllAccess) {
    HKey key = 0;
    EXPECT_EQ(reg_->OpenKey(parent ? parent : box_, subKey, access, &key), kErrorSuccess) << "opening " << subKey;
    return Track(key);
  }
  long OpenError(const std::string& subKey, HKey parent = 0) {
    HKey key = 0;
    long error = reg_->OpenKey(parent ? parent : box_, subKey, kKeyRead, &key);
    Track(key);
    if (error != kErrorSuccess) {
      EXPECT_EQ(key, 0u) << "a failed open hands out no handle";
    }
    return error;
  }
  long CreateError(const std::string& subKey, HKey parent = 0) {
    HKey key = 0;
    bool created = false;
    long error = reg_->CreateKey(parent ? parent : box_, subKey, kKeyAllAccess, &key, &created);
    Track(key);
    return error;
  }

  // The bytes come from a std::string, so the byte after them is readable (and zero).
  long SetError(HKey key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    return reg_->SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                          static_cast<std::uint32_t>(bytes.size()));
  }
  void Set(HKey key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    EXPECT_EQ(SetError(key, name, type, bytes), kErrorSuccess) << "setting [" << name << "]";
  }

  struct Read {
    long error = -1;
    std::uint32_t type = 0xDEAD;
    std::string bytes;
    std::uint32_t size = 0xDEAD;
  };
  Read Query(HKey key, const std::string& name) {
    Read read;
    std::vector<std::uint8_t> data;
    read.error = reg_->QueryValue(key, name, &read.type, &data, &read.size);
    read.bytes.assign(data.begin(), data.end());
    return read;
  }

  Names SubKeys(HKey key) {
    Names names;
    std::string name;
    long error;
    std::uint32_t index = 0;
    while ((error = reg_->EnumKey(key, index, &name)) == kErrorSuccess && index < 1000) {
      names.push_back(name);
      ++index;
    }
    EXPECT_EQ(error, kErrorNoMoreItems) << "subkey listing ends with ERROR_NO_MORE_ITEMS";
    return names;
  }
  Names Values(HKey key) {
    Names names;
    std::string name;
    long error;
    std::uint32_t index = 0;
    while ((error = reg_->EnumValue(key, index, &name)) == kErrorSuccess && index < 1000) {
      names.push_back(name);
      ++index;
    }
    EXPECT_EQ(error, kErrorNoMoreItems) << "value listing ends with ERROR_NO_MORE_ITEMS";
    return names;
  }
  RegKeyInfo Info(HKey key) {
    RegKeyInfo info;
    EXPECT_EQ(reg_->QueryInfoKey(key, &info), kErrorSuccess);
    return info;
  }

  std::shared_ptr<RegistryApi> keeper_;
  RegistryApi* reg_ = nullptr;
  Flavor flavor_ = Flavor::kMemory;
  bool windows95_ = false;
  std::string path_;
  HKey box_ = 0;
  std::vector<HKey> open_;
};

// --- Opening and creating keys ---

TEST_P(RegistryContract, CreateKeyMakesEveryMissingKeyOnTheWayInOneCall) {
  HKey leaf = 0;
  bool created = false;
  ASSERT_EQ(reg_->CreateKey(box_, "A\\B\\C", kKeyAllAccess, &leaf, &created), kErrorSuccess);
  Track(leaf);
  EXPECT_TRUE(created);
  EXPECT_EQ(SubKeys(box_), Names{"A"});
  EXPECT_EQ(SubKeys(Open("A")), Names{"B"});
  EXPECT_EQ(SubKeys(Open("A\\B")), Names{"C"});

  HKey again = 0;
  created = true;
  ASSERT_EQ(reg_->CreateKey(box_, "A\\B\\C", kKeyRead, &again, &created), kErrorSuccess);
  Track(again);
  EXPECT_FALSE(created) << "an existing key is opened, not created";
  EXPECT_NE(again, leaf) << "each open hands out its own handle";
  Set(leaf, "v", kRegDword, std::string("\x01\x02\x03\x04", 4));
  EXPECT_EQ(Query(again, "v").bytes, std::string("\x01\x02\x03\x04", 4)) << "both handles reach the same key";
  EXPECT_EQ(Close(again), kErrorSuccess);
  EXPECT_EQ(Query(leaf, "v").error, kErrorSuccess) << "closing one handle leaves the other working";
}

TEST_P(RegistryContract, OpeningAMissingKeyGivesFileNotFound) {
  Create("A\\B");
  for (const char* path : {"Missing", "Missing\\Below", "A\\Missing", "A\\B\\Missing", "A\\B\\C\\D"})
    EXPECT_EQ(OpenError(path), kErrorFileNotFound) << path;
  EXPECT_EQ(SubKeys(box_), Names{"A"}) << "opening creates nothing";
}

TEST_P(RegistryContract, OpeningTheEmptyNameOfARootGivesTheRootItself) {
  for (HKey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyCurrentConfig}) {
    for (std::uint32_t access : {kKeyRead, kKeyAllAccess}) {
      HKey key = 0;
      EXPECT_EQ(reg_->OpenKey(root, "", access, &key), kErrorSuccess) << std::hex << root;
      EXPECT_EQ(key, root) << std::hex << root;
    }
    EXPECT_EQ(reg_->CloseKey(root), kErrorSuccess) << "closing a root is allowed and harmless";
  }
  EXPECT_GE(Info(kHkeyCurrentUser).subKeys, 1u) << "the root still works after being closed";
}

TEST_P(RegistryContract, OpeningTheEmptyNameOfAKeyGivesANewHandleToIt) {
  HKey key = Create("K");
  HKey same = Open("", key);
  EXPECT_NE(same, key);
  EXPECT_NE(same, 0u);
  Set(same, "v", kRegSz, std::string("x\0", 2));
  EXPECT_EQ(Query(key, "v").bytes, std::string("x\0", 2));
  EXPECT_EQ(Close(same), kErrorSuccess);
  EXPECT_EQ(Query(key, "v").error, kErrorSuccess);
}

TEST_P(RegistryContract, RootsCanBeReadWithoutOpeningThem) {
  Names top = SubKeys(kHkeyCurrentUser);
  EXPECT_EQ(Info(kHkeyCurrentUser).subKeys, top.size());
  EXPECT_EQ(std::count_if(top.begin(), top.end(), [](const std::string& n) { return AsciiUpper(n) == "SOFTWARE"; }), 1)
      << "HKCU lists the Software key that holds the sandbox";
  HKey sandboxes = Open("software\\cordaliscontract", kHkeyCurrentUser, kKeyRead);
  EXPECT_GE(Info(sandboxes).subKeys, 1u);
}

TEST_P(RegistryContract, CreatingTheEmptyNameOpensTheKeyItself) {
  HKey key = Create("K");
  HKey same = 0;
  bool created = false;
  ASSERT_EQ(reg_->CreateKey(key, "", kKeyAllAccess, &same, &created), kErrorSuccess);
  Track(same);
  EXPECT_NE(same, key);
  Set(same, "v", kRegDword, std::string(4, '\x07'));
  EXPECT_EQ(Query(key, "v").error, kErrorSuccess);
  EXPECT_EQ(SubKeys(key), Names{}) << "nothing below the key was made";
  // Known difference: Wine reports the existing key as created; Windows NT does not.
  EXPECT_EQ(created, OnWine());
}

TEST_P(RegistryContract, KeyPathsAreReadAsWindowsReadsThem) {
  struct Case {
    const char* what;
    std::string path;
    long error;
    Names listed;        // the sandbox's subkeys afterwards
    std::string reopen;  // a plain path that reaches the created key
  };
  const Case cases[] = {
      {"leading backslash", "\\Lead", kErrorBadPathname, {}, ""},
      {"leading backslash, deeper", "\\Lead\\More", kErrorBadPathname, {}, ""},
      {"trailing backslash", "Trail\\", kErrorSuccess, {"Trail"}, "Trail"},
      {"two trailing backslashes", "Trail2\\\\", kErrorSuccess, {"Trail2"}, "Trail2"},
      {"doubled backslash inside", "Outer\\\\Inner", kErrorSuccess, {"Outer"}, "Outer\\Inner"},
      {"blanks kept", " Blank  Name ", kErrorSuccess, {" Blank  Name "}, " Blank  Name "},
      {"punctuation",
       "a.b,c;d=e[f]{g}(h)!@#$%^&'~`*?/",
       kErrorSuccess,
       {"a.b,c;d=e[f]{g}(h)!@#$%^&'~`*?/"},
       "a.b,c;d=e[f]{g}(h)!@#$%^&'~`*?/"},
      {"bytes 0x80-0xFF",
       "\xC4rger \xE9t\xE9 \x80\xFF",
       kErrorSuccess,
       {"\xC4rger \xE9t\xE9 \x80\xFF"},
       "\xC4rger \xE9t\xE9 \x80\xFF"},
  };
  int n = 0;
  for (const Case& c : cases) {
    HKey scope = Create("Case" + std::to_string(++n));
    // The Windows 95 family creates as if one leading backslash were not there;
    // it opens no such path either.
    const bool skipped = Windows95() && c.path[0] == '\\';
    const std::string made = skipped ? c.path.substr(1) : c.reopen;
    EXPECT_EQ(CreateError(c.path, scope), skipped ? kErrorSuccess : c.error) << c.what;
    EXPECT_EQ(OpenError(c.path, scope), c.error) << c.what;
    EXPECT_EQ(SubKeys(scope), skipped ? Names{made.substr(0, made.find('\\'))} : c.listed) << c.what;
    if (!made.empty()) {
      EXPECT_EQ(OpenError(made, scope), kErrorSuccess) << c.what;
    }
  }
}

TEST_P(RegistryContract, KeyNamesUpTo255CharactersAreAllowed) {
  const std::string longest(255, 'k');
  Create(longest);
  EXPECT_EQ(SubKeys(box_), Names{longest});
  EXPECT_EQ(Info(box_).maxSubKeyLen, 255u);
  EXPECT_EQ(OpenError(longest + "\\"), kErrorSuccess);

  // Known difference: Wine takes a 256-character name; Windows allows 255.
  HKey scope = Create("Longer");
  EXPECT_EQ(CreateError(std::string(256, 'm'), scope), OnWine() ? kErrorSuccess : kErrorInvalidParameter);
  EXPECT_EQ(SubKeys(scope), OnWine() ? Names{std::string(256, 'm')} : Names{});
  EXPECT_EQ(CreateError(std::string(257, 'n'), scope), kErrorInvalidParameter);
  EXPECT_EQ(OpenError(std::string(257, 'n'), scope), kErrorInvalidParameter);
}

TEST_P(RegistryContract, KeyNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  struct Pair {
    std::string first, other;
  };
  const Pair same[] = {
      {"MixedCase", "MIXEDCASE"},
      {"lower", "LoWeR"},
      {"\xE9t\xE9", "\xC9T\xC9"},  // e acute
      {"\x9A", "\x8A"},            // s caron
      {"\xFF", "\x9F"},            // y diaeresis
      {"\xE6\xF8\xE5", "\xC6\xD8\xC5"},
  };
  int n = 0;
  for (const Pair& p : same) {
    HKey scope = Create("Same" + std::to_string(++n));
    Create(p.first, scope);
    HKey other = 0;
    bool created = true;
    EXPECT_EQ(reg_->CreateKey(scope, p.other, kKeyRead, &other, &created), kErrorSuccess) << Hex(p.other);
    Track(other);
    EXPECT_FALSE(created) << Hex(p.other);
    EXPECT_EQ(OpenError(p.other, scope), kErrorSuccess) << Hex(p.other);
    EXPECT_EQ(SubKeys(scope), Names{p.first}) << Hex(p.first);
  }
  const Pair distinct[] = {{"a", "\xE0"}, {"\xDF", "SS"}, {"e", "\xE9"}, {"x1", "x 1"}};
  for (const Pair& p : distinct) {
    HKey scope = Create("Distinct" + std::to_string(++n));
    Create(p.first, scope);
    EXPECT_EQ(OpenError(p.other, scope), kErrorFileNotFound) << Hex(p.other);
    Create(p.other, scope);
    EXPECT_EQ(SubKeys(scope).size(), 2u) << Hex(p.first) << "/ " << Hex(p.other);
  }
}

// --- Listing ---

TEST_P(RegistryContract, SubkeysAreListedInCaseInsensitiveNameOrder) {
  for (const char* name : {"b", "_x", "Zz", "a", "B2", "\xE9", "e", "10", "9", "A1", "[k"}) Create(name);
  // Known difference: NT compares the upper-case forms, Wine the lower-case
  // forms; they disagree only about the characters between 'Z' and 'a'.
  const Names upper = {"10", "9", "a", "A1", "b", "B2", "e", "Zz", "[k", "_x", "\xE9"};
  const Names lower = {"10", "9", "[k", "_x", "a", "A1", "b", "B2", "e", "Zz", "\xE9"};
  EXPECT_EQ(SubKeys(box_), OnWine() ? lower : upper);
}

TEST_P(RegistryContract, ValuesAreListedInCreationOrder) {
  for (const char* name : {"b", "A", "c", "", "_u", "B1"}) Set(box_, name, kRegDword, std::string(4, '\0'));
  EXPECT_EQ(reg_->DeleteValue(box_, "a"), kErrorSuccess);
  Set(box_, "A", kRegSz, std::string("again\0", 6));  // made anew: now the newest
  Set(box_, "B", kRegSz, std::string("\0", 1));       // rewritten in place
  // Known difference: Wine lists values by name; Windows in creation order.
  const Names created = {"b", "c", "", "_u", "B1", "A"};
  const Names byName = {"", "_u", "A", "b", "B1", "c"};
  EXPECT_EQ(Values(box_), OnWine() ? byName : created);
}

TEST_P(RegistryContract, ListingPastTheEndGivesNoMoreItems) {
  HKey empty = Create("Empty");
  std::string name = "unchanged";
  EXPECT_EQ(reg_->EnumKey(empty, 0, &name), kErrorNoMoreItems);
  EXPECT_EQ(reg_->EnumValue(empty, 0, &name), kErrorNoMoreItems);
  EXPECT_EQ(name, "unchanged");

  HKey full = Create("Full");
  Create("one", full);
  Create("two", full);
  Set(full, "x", kRegBinary, "1");
  Set(full, "y", kRegBinary, "2");
  for (std::uint32_t index : {2u, 3u, 1000u}) {
    EXPECT_EQ(reg_->EnumKey(full, index, &name), kErrorNoMoreItems) << index;
    EXPECT_EQ(reg_->EnumValue(full, index, &name), kErrorNoMoreItems) << index;
  }
  EXPECT_EQ(reg_->EnumKey(full, 1, &name), kErrorSuccess);
  EXPECT_EQ(name, "two");
}

// --- Values ---

TEST_P(RegistryContract, ValuesKeepTheirTypeAndExactBytes) {
  struct Case {
    const char* what;
    std::uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {"string with its terminating zero", kRegSz, std::string("abc\0", 4)},
      {"empty string", kRegSz, std::string("\0", 1)},
      {"string of no bytes", kRegSz, std::string()},
      {"string with a zero inside", kRegSz, std::string("a\0b\0", 4)},
      {"string of every byte", kRegSz, EveryByteString()},
      {"expandable string, not expanded", kRegExpandSz, std::string("%WINDIR%\\x\0", 11)},
      {"multi-string", kRegMultiSz, std::string("one\0two\0\xE9\xFF\0\0", 13)},
      {"empty multi-string", kRegMultiSz, std::string("\0", 1)},
      {"dword", kRegDword, std::string("\x78\x56\x34\x12", 4)},
      {"big-endian dword", kRegDwordBigEndian, std::string("\x12\x34\x56\x78", 4)},
      {"binary with zeros and high bytes", kRegBinary, std::string("\x00\xFF\x10\x00\x80", 5)},
      {"empty binary", kRegBinary, std::string()},
      {"none with bytes", kRegNone, std::string("\x01\x02\x03", 3)},
      {"none without bytes", kRegNone, std::string()},
      {"qword", kRegQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {"unknown type 0x1234", 0x1234, std::string("\x00\x80\xFF", 3)},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "Value" + std::to_string(++n);
    const std::string kept = Kept(c.type, c.bytes);
    Set(box_, name, c.type, c.bytes);
    Read read = Query(box_, name);
    EXPECT_EQ(read.error, kErrorSuccess) << c.what;
    EXPECT_EQ(read.type, c.type) << c.what;
    EXPECT_EQ(read.size, kept.size()) << c.what;
    EXPECT_EQ(Hex(read.bytes), Hex(kept)) << c.what;

    // Without a buffer: the type and the size the buffer needs.
    std::uint32_t type = 0xDEAD, size = 0xDEAD;
    EXPECT_EQ(reg_->QueryValue(box_, name, &type, nullptr, &size), kErrorSuccess) << c.what;
    EXPECT_EQ(type, c.type) << c.what;
    EXPECT_EQ(size, kept.size()) << c.what;
    EXPECT_EQ(reg_->QueryValue(box_, name, nullptr, nullptr, nullptr), kErrorSuccess) << c.what;
  }
  EXPECT_EQ(Info(box_).values, static_cast<std::uint32_t>(n));
}

TEST_P(RegistryContract, StringsAreStoredWithExactlyTheGivenBytes) {
  // Windows NT itself stores the byte after string data when it is a zero the
  // caller seems to have left out, and the Windows 95 family reads a REG_SZ up
  // to its first zero; the port never lets either read beyond the data.
  struct Case {
    const char* what;
    std::uint32_t type;
    std::string buffer;  // passed with one byte fewer than it holds; the last is zero
  };
  const Case cases[] = {
      {"string", kRegSz, std::string("abc\0", 4)},
      {"expandable string", kRegExpandSz, std::string("%x%\0", 4)},
      {"multi-string", kRegMultiSz, std::string("a\0b\0", 4)},
      {"string already ending in zero", kRegSz, std::string("ab\0\0", 4)},
      {"binary", kRegBinary, std::string("abc\0", 4)},
      {"dword", kRegDword, std::string("\x01\x02\x03\0", 4)},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "Short" + std::to_string(++n);
    const std::string given = c.buffer.substr(0, c.buffer.size() - 1);
    ASSERT_EQ(reg_->SetValue(box_, name, c.type, reinterpret_cast<const std::uint8_t*>(c.buffer.data()),
                             static_cast<std::uint32_t>(given.size())),
              kErrorSuccess)
        << c.what;
    Read read = Query(box_, name);
    EXPECT_EQ(Hex(read.bytes), Hex(Kept(c.type, given))) << c.what;
    EXPECT_EQ(read.size, Kept(c.type, given).size()) << c.what;
  }
}

TEST_P(RegistryContract, ReplacingAValueKeepsItsFirstSpellingAndPlace) {
  Set(box_, "First", kRegSz, std::string("1\0", 2));
  Set(box_, "Alpha", kRegSz, std::string("text\0", 5));
  Set(box_, "Last", kRegSz, std::string("3\0", 2));
  Set(box_, "ALPHA", kRegDword, std::string("\x2A\0\0\0", 4));
  Read read = Query(box_, "alpha");
  EXPECT_EQ(read.type, kRegDword);
  EXPECT_EQ(read.bytes, std::string("\x2A\0\0\0", 4));
  Names values = Values(box_);
  EXPECT_EQ(values.size(), 3u);
  EXPECT_NE(std::find(values.begin(), values.end(), "Alpha"), values.end()) << "the first spelling stays";
  if (!OnWine()) {
    EXPECT_EQ(values, (Names{"First", "Alpha", "Last"}));
  }
  // Names with bytes 0x80-0xFF are compared without case too.
  Set(box_, "\xC4rger", kRegSz, std::string("\0", 1));
  EXPECT_EQ(Query(box_, "\xE4RGER").error, kErrorSuccess);
  EXPECT_EQ(reg_->DeleteValue(box_, "aLPHA"), kErrorSuccess);
  EXPECT_EQ(Query(box_, "Alpha").error, kErrorFileNotFound);
}

TEST_P(RegistryContract, TheEmptyNameIsTheDefaultValue) {
  EXPECT_EQ(Query(box_, "").error, kErrorFileNotFound) << "a new key has no default value";
  EXPECT_EQ(Info(box_).values, 0u);
  Set(box_, "", kRegSz, std::string("default\0", 8));
  Read read = Query(box_, "");
  EXPECT_EQ(read.error, kErrorSuccess);
  EXPECT_EQ(read.bytes, std::string("default\0", 8));
  EXPECT_EQ(Values(box_), Names{""});
  EXPECT_EQ(Info(box_).maxValueNameLen, 0u);
  EXPECT_EQ(reg_->DeleteValue(box_, ""), kErrorSuccess);
  EXPECT_EQ(Query(box_, "").error, kErrorFileNotFound);
  EXPECT_EQ(reg_->DeleteValue(box_, ""), kErrorFileNotFound);
}

TEST_P(RegistryContract, ValueNamesAreKeptAsWritten) {
  std::string everyByte;  // 0x20-0xFF: blanks, backslashes, punctuation and high bytes
  for (int b = 0x20; b <= 0xFF; ++b) everyByte += static_cast<char>(b);
  const std::string names[] = {" spaced  name ", "back\\slash", "\\leading",
                               "trailing\\",     "tab\there",   "\xC4\xD6\xDC\xE4\xF6\xFC\xDF",
                               everyByte};
  int n = 0;
  for (const std::string& name : names) {
    Set(box_, name, kRegDword, std::string(4, static_cast<char>(++n)));
    Read read = Query(box_, name);
    EXPECT_EQ(read.error, kErrorSuccess) << Hex(name);
    EXPECT_EQ(read.bytes, std::string(4, static_cast<char>(n))) << Hex(name);
  }
  Names listed = Values(box_);
  std::sort(listed.begin(), listed.end());
  Names expected(std::begin(names), std::end(names));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
}

TEST_P(RegistryContract, ValueNamesUpTo16383CharactersAreAllowed) {
  const std::string longest(16383, 'v');
  Set(box_, longest, kRegBinary, "x");
  EXPECT_EQ(Values(box_), Names{longest});
  EXPECT_EQ(Info(box_).maxValueNameLen, 16383u);
  EXPECT_EQ(Query(box_, longest).bytes, "x");

  const std::string tooLong(16384, 'w');
  EXPECT_EQ(SetError(box_, tooLong, kRegBinary, "y"), kErrorInvalidParameter);
  EXPECT_EQ(Info(box_).values, 1u);
  EXPECT_EQ(Query(box_, tooLong).error, kErrorFileNotFound);
  EXPECT_EQ(reg_->DeleteValue(box_, tooLong), kErrorFileNotFound);
}

TEST_P(RegistryContract, DeletingAValue) {
  Set(box_, "keep1", kRegSz, std::string("1\0", 2));
  Set(box_, "gone", kRegSz, std::string("2\0", 2));
  Set(box_, "keep2", kRegSz, std::string("3\0", 2));
  EXPECT_EQ(reg_->DeleteValue(box_, "missing"), kErrorFileNotFound);
  EXPECT_EQ(reg_->DeleteValue(box_, "GONE"), kErrorSuccess);
  EXPECT_EQ(reg_->DeleteValue(box_, "gone"), kErrorFileNotFound);
  EXPECT_EQ(Query(box_, "gone").error, kErrorFileNotFound);
  EXPECT_EQ(Values(box_), (Names{"keep1", "keep2"}));
  EXPECT_EQ(Query(box_, "keep2").bytes, std::string("3\0", 2));
}

// --- Key information ---

TEST_P(RegistryContract, QueryInfoKeyCountsAndMaximumLengths) {
  HKey key = Create("Info");
  RegKeyInfo info = Info(key);
  EXPECT_EQ(info.subKeys, 0u);
  EXPECT_EQ(info.maxSubKeyLen, 0u);
  EXPECT_EQ(info.values, 0u);
  EXPECT_EQ(info.maxValueNameLen, 0u);
  EXPECT_EQ(info.maxValueLen, 0u);

  Create("a", key);
  Create("LongerName12", key);
  Create("\xE9\xE9\xE9", key);
  Create("a\\below\\does\\not\\count\\at\\all\\here", key);
  Set(key, "", kRegBinary, std::string(13, 'b'));
  Set(key, "longest name", kRegDword, std::string(4, '\0'));
  Set(key, "nm", kRegSz, std::string("abcdef\0", 7));
  info = Info(key);
  EXPECT_EQ(info.subKeys, 3u);
  EXPECT_EQ(info.maxSubKeyLen, 12u);
  EXPECT_EQ(info.values, 3u);
  EXPECT_EQ(info.maxValueNameLen, 12u);
  EXPECT_EQ(info.maxValueLen, 14u) << "7 string bytes are kept as 14 bytes of UTF-16, more than 13 binary bytes";
}

TEST_P(RegistryContract, QueryInfoKeyReportsStringsAtTheirUtf16Size) {
  struct Case {
    const char* what;
    std::uint32_t type;
    std::string bytes;
    std::uint32_t maxValueLen;
  };
  const Case cases[] = {
      {"string", kRegSz, std::string("abc\0", 4), 8},
      {"string of high bytes", kRegSz, std::string("\xE9\x80\xFF\0", 4), 8},
      {"expandable string", kRegExpandSz, std::string("%a%\0", 4), 8},
      {"multi-string", kRegMultiSz, std::string("a\0b\0\0", 5), 10},
      {"binary", kRegBinary, std::string(5, 'x'), 5},
      {"dword", kRegDword, std::string(4, 'x'), 4},
      {"none", kRegNone, std::string(3, 'x'), 3},
      {"unknown type", 0x1234, std::string(3, 'x'), 3},
  };
  int n = 0;
  for (const Case& c : cases) {
    HKey key = Create("Size" + std::to_string(++n));
    Set(key, "v", c.type, c.bytes);
    EXPECT_EQ(Info(key).maxValueLen, c.maxValueLen) << c.what;
    EXPECT_EQ(Query(key, "v").size, c.bytes.size()) << c.what << ": reading gives the bytes as written";
  }
}

// --- Deleting keys ---

TEST_P(RegistryContract, DeletingKeys) {
  Create("Leaf");
  Create("Parent\\Child");
  HKey withValues = Create("WithValues");
  Set(withValues, "v", kRegSz, std::string("x\0", 2));

  EXPECT_EQ(reg_->DeleteKey(box_, "Missing"), kErrorFileNotFound);
  EXPECT_EQ(reg_->DeleteKey(box_, "Missing\\Deeper"), kErrorFileNotFound);
  if (Windows95()) {
    EXPECT_EQ(reg_->DeleteKey(box_, "Parent"), kErrorSuccess) << "a key goes with its subkeys";
    EXPECT_EQ(OpenError("Parent\\Child"), kErrorFileNotFound);
    EXPECT_EQ(OpenError("Parent"), kErrorFileNotFound);
    Create("Parent\\Child");
  } else {
    EXPECT_EQ(reg_->DeleteKey(box_, "Parent"), kErrorAccessDenied) << "a key with subkeys stays";
    EXPECT_EQ(SubKeys(Open("Parent")), Names{"Child"});
  }
  EXPECT_EQ(reg_->DeleteKey(box_, "\\Leaf"), kErrorBadPathname);
  EXPECT_EQ(reg_->DeleteKey(box_, "PARENT\\child"), kErrorSuccess);
  EXPECT_EQ(reg_->DeleteKey(box_, "Parent\\Child"), kErrorFileNotFound);
  EXPECT_EQ(reg_->DeleteKey(box_, "Parent"), kErrorSuccess);
  EXPECT_EQ(reg_->DeleteKey(box_, "WithValues"), kErrorSuccess) << "values do not hold a key";
  EXPECT_EQ(reg_->DeleteKey(box_, "leaf\\"), kErrorSuccess);
  EXPECT_EQ(SubKeys(box_), Names{});
}

TEST_P(RegistryContract, DeletingTheEmptyNameDeletesTheKeyItself) {
  HKey key = Create("Self");
  EXPECT_EQ(reg_->DeleteKey(key, ""), kErrorSuccess);
  EXPECT_EQ(OpenError("Self"), kErrorFileNotFound);
  HKey parent = Create("Parent");
  Create("Child", parent);
  // The Windows 95 family deletes a key with its subkeys; NT refuses.
  EXPECT_EQ(reg_->DeleteKey(parent, ""), Windows95() ? kErrorSuccess : kErrorAccessDenied);
  EXPECT_EQ(OpenError("Parent\\Child"), Windows95() ? kErrorFileNotFound : kErrorSuccess);
}

TEST_P(RegistryContract, AHandleOfADeletedKeyGivesKeyDeleted) {
  HKey key = Create("Doomed");
  Set(key, "v", kRegSz, std::string("x\0", 2));
  HKey reader = Open("Doomed", 0, kKeyRead);
  ASSERT_EQ(reg_->DeleteKey(box_, "Doomed"), kErrorSuccess);

  std::string name;
  RegKeyInfo info;
  HKey out = 0;
  bool created = false;
  std::uint32_t type = 0, size = 0;
  struct Call {
    const char* what;
    std::function<long(HKey)> call;
    bool needsSetValue;  // refused through a read-only handle before its key's state is looked at (NT)
  };
  const Call calls[] = {
      {"QueryValue", [&](HKey h) { return reg_->QueryValue(h, "v", &type, nullptr, &size); }, false},
      {"SetValue", [&](HKey h) { return SetError(h, "w", kRegSz, std::string("y\0", 2)); }, true},
      {"DeleteValue", [&](HKey h) { return reg_->DeleteValue(h, "v"); }, true},
      {"EnumKey", [&](HKey h) { return reg_->EnumKey(h, 0, &name); }, false},
      {"EnumValue", [&](HKey h) { return reg_->EnumValue(h, 0, &name); }, false},
      {"QueryInfoKey", [&](HKey h) { return reg_->QueryInfoKey(h, &info); }, false},
      {"OpenKey", [&](HKey h) { return reg_->OpenKey(h, "Sub", kKeyRead, &out); }, false},
      {"OpenKey of itself", [&](HKey h) { return reg_->OpenKey(h, "", kKeyRead, &out); }, false},
      {"CreateKey", [&](HKey h) { return reg_->CreateKey(h, "Sub", kKeyAllAccess, &out, &created); }, false},
      {"DeleteKey", [&](HKey h) { return reg_->DeleteKey(h, "Sub"); }, false},
      {"DeleteKey of itself", [&](HKey h) { return reg_->DeleteKey(h, ""); }, false},
  };
  for (HKey handle : {key, reader})
    for (const Call& c : calls) {
      out = 0;
      long expected = handle == reader && c.needsSetValue && !Windows95() ? kErrorAccessDenied : kErrorKeyDeleted;
      EXPECT_EQ(c.call(handle), expected) << c.what << (handle == reader ? " (read-only handle)" : "");
      EXPECT_EQ(Track(out), 0u) << c.what;
    }

  HKey again = 0;
  ASSERT_EQ(reg_->CreateKey(box_, "Doomed", kKeyAllAccess, &again, &created), kErrorSuccess);
  Track(again);
  EXPECT_TRUE(created) << "the name is free again";
  EXPECT_EQ(Values(again), Names{}) << "a key made anew is empty";
  EXPECT_EQ(reg_->QueryValue(key, "v", &type, nullptr, &size), kErrorKeyDeleted) << "old handles stay dead";
  EXPECT_EQ(Close(key), kErrorSuccess);
  EXPECT_EQ(Close(reader), kErrorSuccess);
}

TEST_P(RegistryContract, AClosedHandleGivesInvalidHandle) {
  HKey key = Create("K");
  Set(key, "v", kRegSz, std::string("x\0", 2));
  ASSERT_EQ(Close(key), kErrorSuccess);
  // Nothing is opened from here on, so the closed handle's number is not reused.
  std::string name;
  RegKeyInfo info;
  HKey out = 0;
  bool created = false;
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(reg_->QueryValue(key, "v", &type, nullptr, &size), kErrorInvalidHandle);
  EXPECT_EQ(SetError(key, "w", kRegSz, std::string("y\0", 2)), kErrorInvalidHandle);
  EXPECT_EQ(reg_->DeleteValue(key, "v"), kErrorInvalidHandle);
  EXPECT_EQ(reg_->EnumKey(key, 0, &name), kErrorInvalidHandle);
  EXPECT_EQ(reg_->EnumValue(key, 0, &name), kErrorInvalidHandle);
  EXPECT_EQ(reg_->QueryInfoKey(key, &info), kErrorInvalidHandle);
  EXPECT_EQ(reg_->OpenKey(key, "Sub", kKeyRead, &out), kErrorInvalidHandle);
  EXPECT_EQ(reg_->CreateKey(key, "Sub", kKeyAllAccess, &out, &created), kErrorInvalidHandle);
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(reg_->CloseKey(key), kErrorInvalidHandle) << "closing twice";
  EXPECT_EQ(reg_->CloseKey(0), kErrorInvalidHandle) << "closing no key";
  EXPECT_EQ(Query(Open("K"), "v").error, kErrorSuccess) << "the key itself is untouched";
}

// The Windows 95 family ignores the rights asked for: there every handle
// allows every call.
TEST_P(RegistryContract, AHandleAllowsOnlyWhatItWasOpenedFor) {
  HKey key = Create("K");
  Create("Sub", key);
  Set(key, "v", kRegSz, std::string("x\0", 2));
  std::string name;
  RegKeyInfo info;
  HKey out = 0;
  bool created = false;
  std::uint32_t type = 0, size = 0;
  struct Case {
    const char* what;
    std::uint32_t access;
    std::function<long(HKey)> call;
    long error;
    long windows95Error = kErrorSuccess;
  };
  const Case cases[] = {
      {"read: SetValue", kKeyRead, [&](HKey h) { return SetError(h, "w", kRegSz, "y"); }, kErrorAccessDenied},
      {"read: DeleteValue", kKeyRead, [&](HKey h) { return reg_->DeleteValue(h, "v"); }, kErrorAccessDenied},
      {"read: DeleteValue of a missing value", kKeyRead, [&](HKey h) { return reg_->DeleteValue(h, "none"); },
       kErrorAccessDenied, kErrorFileNotFound},
      {"read: QueryValue", kKeyRead, [&](HKey h) { return reg_->QueryValue(h, "v", &type, nullptr, &size); },
       kErrorSuccess},
      {"read: EnumKey", kKeyRead, [&](HKey h) { return reg_->EnumKey(h, 0, &name); }, kErrorSuccess},
      {"read: EnumValue", kKeyRead, [&](HKey h) { return reg_->EnumValue(h, 0, &name); }, kErrorSuccess},
      {"read: QueryInfoKey", kKeyRead, [&](HKey h) { return reg_->QueryInfoKey(h, &info); }, kErrorSuccess},
      // The rights of the parent's handle do not matter for its subkeys.
      {"read: CreateKey below", kKeyRead,
       [&](HKey h) {
         long e = reg_->CreateKey(h, "Made", kKeyAllAccess, &out, &created);
         Track(out);
         return e;
       },
       kErrorSuccess},
      {"read: DeleteKey below", kKeyRead, [&](HKey h) { return reg_->DeleteKey(h, "Made"); }, kErrorSuccess},
      {"set value: QueryValue", kKeySetValue, [&](HKey h) { return reg_->QueryValue(h, "v", &type, nullptr, &size); },
       kErrorAccessDenied},
      {"set value: EnumValue", kKeySetValue, [&](HKey h) { return reg_->EnumValue(h, 0, &name); }, kErrorAccessDenied},
      {"set value: EnumKey", kKeySetValue, [&](HKey h) { return reg_->EnumKey(h, 0, &name); }, kErrorAccessDenied},
      // Known difference: Windows XP and 2003 want KEY_QUERY_VALUE here; Wine wants nothing.
      {"set value: QueryInfoKey", kKeySetValue, [&](HKey h) { return reg_->QueryInfoKey(h, &info); },
       OnWine() ? kErrorSuccess : kErrorAccessDenied},
      {"set value: SetValue", kKeySetValue, [&](HKey h) { return SetError(h, "w", kRegSz, "y"); }, kErrorSuccess},
      {"set value: DeleteValue", kKeySetValue, [&](HKey h) { return reg_->DeleteValue(h, "w"); }, kErrorSuccess},
      {"enumerate: EnumKey", kKeyEnumerateSubKeys, [&](HKey h) { return reg_->EnumKey(h, 0, &name); }, kErrorSuccess},
      {"enumerate: QueryInfoKey", kKeyEnumerateSubKeys, [&](HKey h) { return reg_->QueryInfoKey(h, &info); },
       OnWine() ? kErrorSuccess : kErrorAccessDenied},
      {"enumerate: EnumValue", kKeyEnumerateSubKeys, [&](HKey h) { return reg_->EnumValue(h, 0, &name); },
       kErrorAccessDenied},
  };
  for (const Case& c : cases) {
    if (Windows95()) Set(key, "v", kRegSz, std::string("x\0", 2));  // a call before may have deleted it
    HKey handle = Open("K", 0, c.access);
    EXPECT_EQ(c.call(handle), Windows95() ? c.windows95Error : c.error) << c.what;
    Close(handle);
  }
  EXPECT_EQ(Query(key, "v").bytes, std::string("x\0", 2)) << "refused calls changed nothing";
}

// What a flush puts on the disk cannot be seen from here; that it takes the
// handles the program gives it can.
TEST_P(RegistryContract, FlushingTakesAKeyOpenedForQueryingOrARoot) {
  HKey key = Create("K");
  Set(key, "v", kRegSz, std::string("x\0", 2));
  EXPECT_EQ(reg_->FlushKey(key), kErrorSuccess);
  EXPECT_EQ(reg_->FlushKey(kHkeyCurrentUser), kErrorSuccess) << "a root";
  HKey querying = Open("K", 0, kKeyQueryValue);
  EXPECT_EQ(reg_->FlushKey(querying), kErrorSuccess);
  // Known difference: Windows NT wants KEY_QUERY_VALUE on the handle; Wine
  // wants nothing, and the Windows 95 family gives every handle every right.
  HKey setting = Open("K", 0, kKeySetValue);
  EXPECT_EQ(reg_->FlushKey(setting), OnWine() || Windows95() ? kErrorSuccess : kErrorAccessDenied);
  ASSERT_EQ(Close(querying), kErrorSuccess);
  EXPECT_EQ(reg_->FlushKey(querying), kErrorInvalidHandle);
  ASSERT_EQ(reg_->DeleteKey(box_, "K"), kErrorSuccess);
  EXPECT_EQ(reg_->FlushKey(key), kErrorKeyDeleted);
}

// NT does; the Windows 95 family does not.
TEST_P(RegistryContract, ClassesRootTakesALeadingBackslashWhenOpening) {
  // Reading only: HKCR is outside the sandbox.
  EXPECT_EQ(OpenError("\\CordalisContractNoSuchKey", kHkeyClassesRoot),
            Windows95() ? kErrorBadPathname : kErrorFileNotFound);
  EXPECT_EQ(OpenError("\\Software", kHkeyCurrentUser), kErrorBadPathname);
  EXPECT_EQ(OpenError("\\Software", kHkeyLocalMachine), kErrorBadPathname);
}

std::vector<Implementation> ImplementationsUnderTest() {
  std::vector<Implementation> list = {{"Memory", &MakeMemoryRegistry, &Nt},
                                      {"Memory95", &MakeMemory95Registry, &Windows95Family}};
#ifdef _WIN32
  list.push_back({"System", &MakeSystemRegistry, &SystemFamily});
#endif
  return list;
}

INSTANTIATE_TEST_SUITE_P(, RegistryContract, ::testing::ValuesIn(ImplementationsUnderTest()),
                         [](const ::testing::TestParamInfo<Implementation>& info) { return info.param.name; });

// --- The in-memory Registry's test hooks ---

long SetText(MemoryRegistry& reg, HKey key, const std::string& name, const std::string& text) {
  return reg.SetValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                      static_cast<std::uint32_t>(text.size() + 1));
}

HKey MustCreate(MemoryRegistry& reg, HKey parent, const std::string& path, std::uint32_t access = kKeyAllAccess) {
  HKey key = 0;
  bool created = false;
  EXPECT_EQ(reg.CreateKey(parent, path, access, &key, &created), kErrorSuccess) << path;
  return key;
}

long CreateOnly(MemoryRegistry& reg, const std::string& path) {
  HKey key = 0;
  bool created = false;
  long error = reg.CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, &key, &created);
  reg.CloseKey(key);
  return error;
}

long SetTextAt(MemoryRegistry& reg, const std::string& path, const std::string& name, const std::string& text) {
  HKey key = 0;
  if (long error = reg.OpenKey(kHkeyCurrentUser, path, kKeySetValue, &key)) return error;
  long error = SetText(reg, key, name, text);
  reg.CloseKey(key);
  return error;
}

using Step = std::function<long(MemoryRegistry&)>;

// A short session of changing calls, two of which create a chain of keys.
const std::vector<Step>& Session() {
  static const std::vector<Step> steps = {
      [](MemoryRegistry& r) { return CreateOnly(r, "Software\\A"); },  // two keys made by one call
      [](MemoryRegistry& r) { return SetText(r, kHkeyCurrentUser, "top", "1"); },
      [](MemoryRegistry& r) { return CreateOnly(r, "Software\\A\\B\\C"); },
      [](MemoryRegistry& r) { return SetTextAt(r, "Software\\A\\B\\C", "v", "2"); },
      [](MemoryRegistry& r) { return SetTextAt(r, "Software\\A\\B\\C", "v", "3"); },
      [](MemoryRegistry& r) { return r.DeleteValue(kHkeyCurrentUser, "top"); },
      [](MemoryRegistry& r) { return r.DeleteKey(kHkeyCurrentUser, "Software\\A\\B\\C"); },
  };
  return steps;
}

// The same session with one change per call: a chain is created key by key,
// from the top, as RegCreateKeyEx creates it.
const std::vector<Step>& SessionOneChangeEach() {
  static const std::vector<Step> steps = {
      [](MemoryRegistry& r) { return CreateOnly(r, "Software"); },
      [](MemoryRegistry& r) { return CreateOnly(r, "Software\\A"); },
      [](MemoryRegistry& r) { return SetText(r, kHkeyCurrentUser, "top", "1"); },
      [](MemoryRegistry& r) { return CreateOnly(r, "Software\\A\\B"); },
      [](MemoryRegistry& r) { return CreateOnly(r, "Software\\A\\B\\C"); },
      [](MemoryRegistry& r) { return SetTextAt(r, "Software\\A\\B\\C", "v", "2"); },
      [](MemoryRegistry& r) { return SetTextAt(r, "Software\\A\\B\\C", "v", "3"); },
      [](MemoryRegistry& r) { return r.DeleteValue(kHkeyCurrentUser, "top"); },
      [](MemoryRegistry& r) { return r.DeleteKey(kHkeyCurrentUser, "Software\\A\\B\\C"); },
  };
  return steps;
}

TEST(MemoryRegistryHooks, CrashAtChangeStopsTheProgramJustBeforeThatChange) {
  const auto& single = SessionOneChangeEach();
  for (int k = 1; k <= static_cast<int>(single.size()); ++k) {
    MemoryRegistry reg;
    reg.crashAtChange = k;
    bool crashed = false;
    for (const Step& step : Session()) {
      try {
        ASSERT_EQ(step(reg), kErrorSuccess) << "change " << k;
      } catch (const RegistryCrash&) {
        crashed = true;
        break;
      }
    }
    EXPECT_TRUE(crashed) << "change " << k;
    EXPECT_EQ(reg.changes, k);

    // The state holds every change before the k-th and nothing of the k-th,
    // even when the k-th is a key in the middle of a chain.
    MemoryRegistry reference;
    for (int done = 0; done < k - 1; ++done) single[static_cast<std::size_t>(done)](reference);
    EXPECT_EQ(reg.Dump(), reference.Dump()) << "change " << k;
  }
}

TEST(MemoryRegistryHooks, OnlyChangesCountAsChanges) {
  MemoryRegistry reg;
  HKey key = MustCreate(reg, kHkeyCurrentUser, "Software\\K");
  MustCreate(reg, key, "Sub");
  SetText(reg, key, "v", "x");
  ASSERT_EQ(reg.changes, 4) << "Software and K, Sub, v";
  reg.crashAtChange = 5;
  HKey out = 0;
  bool created = true;
  std::string name;
  RegKeyInfo info;
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(reg.OpenKey(kHkeyCurrentUser, "Software\\K", kKeyAllAccess, &out), kErrorSuccess);
  EXPECT_EQ(reg.CreateKey(kHkeyCurrentUser, "Software\\K", kKeyAllAccess, &out, &created), kErrorSuccess);
  EXPECT_FALSE(created);
  EXPECT_EQ(reg.QueryValue(key, "v", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(reg.EnumKey(key, 0, &name), kErrorSuccess);
  EXPECT_EQ(reg.EnumValue(key, 0, &name), kErrorSuccess);
  EXPECT_EQ(reg.QueryInfoKey(key, &info), kErrorSuccess);
  EXPECT_EQ(reg.DeleteValue(key, "missing"), kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteKey(key, "missing"), kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteKey(kHkeyCurrentUser, "Software\\K"), kErrorAccessDenied);
  HKey reader = 0;
  reg.OpenKey(key, "", kKeyRead, &reader);
  EXPECT_EQ(SetText(reg, reader, "w", "y"), kErrorAccessDenied);
  EXPECT_EQ(reg.CloseKey(reader), kErrorSuccess);
  EXPECT_EQ(reg.changes, 4);
  EXPECT_THROW(SetText(reg, key, "w", "y"), RegistryCrash);
  EXPECT_EQ(reg.changes, 5);
  EXPECT_EQ(SetText(reg, key, "w", "y"), kErrorSuccess) << "the registry goes on after the simulated crash";
}

TEST(MemoryRegistryHooks, FailAtChangeRefusesThatChangeAlone) {
  MemoryRegistry reg;
  reg.failAtChange = 2;
  EXPECT_EQ(CreateOnly(reg, "Software\\A\\B"), kErrorAccessDenied) << "Software made, A refused";
  EXPECT_NE(reg.Dump().find("HKCU\\Software\n"), std::string::npos);
  EXPECT_EQ(reg.Dump().find("Software\\A"), std::string::npos);
  EXPECT_EQ(CreateOnly(reg, "Software\\A\\B"), kErrorSuccess);
}

TEST(MemoryRegistryHooks, ARefusedRootDeniesChangesAndWriteOpens) {
  MemoryRegistry reg;
  HKey kept = MustCreate(reg, kHkeyLocalMachine, "Software\\Kept");
  MustCreate(reg, kHkeyLocalMachine, "Software\\Kept\\Leaf");
  SetText(reg, kept, "v", "x");
  SetText(reg, kHkeyLocalMachine, "top", "x");
  reg.RefuseChangesUnder(kHkeyLocalMachine);
  const std::string before = reg.Dump();
  const int changesBefore = reg.changes;

  HKey out = 0;
  bool created = false;
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "Software\\New", kKeyAllAccess, &out, &created), kErrorAccessDenied);
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "Software\\Kept", kKeyWrite, &out, &created), kErrorAccessDenied);
  EXPECT_EQ(reg.OpenKey(kHkeyLocalMachine, "Software\\Kept", kKeyAllAccess, &out), kErrorAccessDenied);
  EXPECT_EQ(reg.OpenKey(kHkeyLocalMachine, "Software\\Kept", kKeySetValue, &out), kErrorAccessDenied);
  EXPECT_EQ(reg.OpenKey(kHkeyLocalMachine, "Software\\Kept", kDelete, &out), kErrorAccessDenied);
  EXPECT_EQ(SetText(reg, kept, "v", "changed"), kErrorAccessDenied) << "a handle opened before the refusal";
  EXPECT_EQ(SetText(reg, kHkeyLocalMachine, "top", "changed"), kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteValue(kept, "v"), kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteValue(kHkeyLocalMachine, "top"), kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteKey(kHkeyLocalMachine, "Software\\Kept\\Leaf"), kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteKey(kept, "Leaf"), kErrorAccessDenied);
  EXPECT_EQ(reg.Dump(), before);
  EXPECT_EQ(reg.changes, changesBefore) << "refused calls are no changes";

  // Reading is still allowed, including opening for reading through CreateKey.
  HKey reader = 0;
  EXPECT_EQ(reg.OpenKey(kHkeyLocalMachine, "Software\\Kept", kKeyRead, &reader), kErrorSuccess);
  EXPECT_EQ(reg.CreateKey(kHkeyLocalMachine, "Software\\Kept", kKeyRead, &out, &created), kErrorSuccess);
  EXPECT_FALSE(created);
  HKey home = MustCreate(reg, kHkeyCurrentUser, "Software\\Mine");
  EXPECT_EQ(SetText(reg, home, "v", "x"), kErrorSuccess) << "other roots are not refused";

  reg.AllowChangesUnder(kHkeyLocalMachine);
  EXPECT_EQ(SetText(reg, kept, "v", "changed"), kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey(kept, "Leaf"), kErrorSuccess);
}

TEST(MemoryRegistryHooks, OpenHandlesCountsWhatIsNotYetClosed) {
  MemoryRegistry reg;
  EXPECT_EQ(reg.OpenHandles(), 0u);
  HKey a = MustCreate(reg, kHkeyCurrentUser, "Software\\A");
  HKey b = MustCreate(reg, kHkeyCurrentUser, "Software\\B");
  HKey root = 0, c = 0;
  reg.OpenKey(kHkeyCurrentUser, "", kKeyRead, &root);
  reg.OpenKey(a, "", kKeyRead, &c);
  EXPECT_EQ(reg.OpenHandles(), 3u) << "a root is no handle of ours";
  EXPECT_EQ(reg.CloseKey(a), kErrorSuccess);
  EXPECT_EQ(reg.CloseKey(root), kErrorSuccess);
  EXPECT_EQ(reg.OpenHandles(), 2u);
  EXPECT_EQ(reg.CloseKey(a), kErrorInvalidHandle);
  EXPECT_EQ(reg.DeleteKey(kHkeyCurrentUser, "Software\\B"), kErrorSuccess);
  EXPECT_EQ(reg.OpenHandles(), 2u) << "a deleted key's handle stays open until closed";
  reg.CloseKey(b);
  reg.CloseKey(c);
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

// Each root stands for a hive: a flush of any of its keys puts the whole root
// on the disk, and a power cut brings back each root as its last flush left it.
TEST(MemoryRegistryHooks, APowerCutKeepsOnlyWhatWasFlushedOnceAskedTo) {
  MemoryRegistry reg;
  SetText(reg, MustCreate(reg, kHkeyCurrentUser, "Software\\A"), "v", "start");
  const auto change = [&reg](const std::string& text) {
    SetText(reg, MustCreate(reg, kHkeyCurrentUser, "Software\\A"), "v", text);
    MustCreate(reg, kHkeyCurrentUser, "Software\\" + text);
    return MustCreate(reg, kHkeyLocalMachine, "Software\\" + text);
  };
  const auto rootOf = [&reg](const std::string& name) {  // the root's lines of the dump
    std::string lines;
    const std::string dump = reg.Dump();
    for (std::size_t at = 0, end; at < dump.size(); at = end + 1) {
      end = dump.find('\n', at);
      const std::string line = dump.substr(at, end - at + 1);
      if (line.rfind(name + "\n", 0) == 0 || line.rfind(name + "\\", 0) == 0) lines += line;
    }
    return lines;
  };

  change("kept");
  reg.PowerCut();
  EXPECT_NE(reg.Dump().find("Software\\kept"), std::string::npos) << "until asked, every change is on the disk";
  EXPECT_EQ(reg.OpenHandles(), 0u) << "the handles went with the program";

  reg.KeepOnlyWhatIsFlushed();
  const std::string start = reg.Dump();
  const std::string userAtStart = rootOf("HKCU");
  change("lost");
  reg.PowerCut();
  EXPECT_EQ(reg.Dump(), start) << "nothing flushed, nothing kept";

  const HKey machine = change("flushed");
  EXPECT_EQ(reg.FlushKey(machine), kErrorSuccess);
  change("after");
  reg.PowerCut();
  EXPECT_NE(rootOf("HKLM").find("HKLM\\Software\\flushed\n"), std::string::npos) << "the root that was flushed";
  EXPECT_EQ(rootOf("HKLM").find("after"), std::string::npos) << "not what came after the flush";
  EXPECT_EQ(rootOf("HKCU"), userAtStart) << "another root, not flushed";

  change("written");
  reg.WriteEverythingToDisk();
  reg.PowerCut();
  EXPECT_NE(reg.Dump().find("HKCU\\Software\\written"), std::string::npos) << "the lazy writer's work is kept";
  EXPECT_NE(reg.Dump().find("HKLM\\Software\\written"), std::string::npos);
}

TEST(MemoryRegistryHooks, DumpShowsEveryKeyAndValueInListingOrder) {
  MemoryRegistry reg;
  HKey key = MustCreate(reg, kHkeyCurrentUser, "Software\\b");
  MustCreate(reg, kHkeyCurrentUser, "Software\\A");
  SetText(reg, key, "z", "hi");
  const std::string dword("\x01\x00\x00\x80", 4);
  reg.SetValue(key, "", kRegDword, reinterpret_cast<const std::uint8_t*>(dword.data()), 4);
  EXPECT_EQ(reg.Dump(),
            "HKCR\n"
            "HKCU\n"
            "HKCU\\Software\n"
            "HKCU\\Software\\A\n"
            "HKCU\\Software\\b\n"
            "HKCU\\Software\\b [z] type 1: 68 69 00\n"
            "HKCU\\Software\\b [] type 4: 01 00 00 80\n"
            "HKLM\n"
            "HKU\n"
            "HKCC\n");
}

}  // namespace
}  // namespace cordalis
