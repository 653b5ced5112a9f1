#include "host/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "doubles/memory_registry.h"
#include "support/registry_sandbox.h"

namespace cordalis {
namespace {

using testing::RegistryKind;
using testing::RegistrySandbox;
using Bytes = std::vector<std::uint8_t>;

Bytes B(std::initializer_list<int> bytes) {
  Bytes out;
  for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}
Bytes Text0(const std::string& text) {
  Bytes out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

class Accessor : public ::testing::TestWithParam<RegistryKind> {
 protected:
  Accessor() : sandbox(GetParam()), reg(sandbox.Api()) {
    reg.SetRootKey(kHkeyCurrentUser);
    EXPECT_TRUE(reg.OpenKey(sandbox.Path("V"), true));
  }
  // Puts a value of any type with exact bytes in the open key.
  void Put(const std::string& name, std::uint32_t type, const Bytes& bytes) {
    ASSERT_EQ(sandbox.Api().SetValue(reg.CurrentKey(), name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
              kErrorSuccess);
  }
  std::pair<std::uint32_t, Bytes> Get(const std::string& name) {
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(sandbox.Api().QueryValue(reg.CurrentKey(), name, &type, &data, nullptr), kErrorSuccess) << name;
    return {type, data};
  }
  std::string ErrorOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "no error";
  }

  RegistrySandbox sandbox;
  TSuperReg2 reg;
};

TEST_P(Accessor, PathsAreTakenFromTheOpenKeyOrFromTheRoot) {
  ASSERT_TRUE(reg.OpenKey("\\" + sandbox.Path("A\\B\\C"), true)) << "creates the whole chain";
  EXPECT_EQ(reg.CurrentPath(), sandbox.Path("A\\B\\C"));
  ASSERT_TRUE(reg.OpenKey("\\" + sandbox.Path("A"), false));
  ASSERT_TRUE(reg.OpenKey("B", false)) << "relative to the open key";
  EXPECT_EQ(reg.CurrentPath(), sandbox.Path("A") + "\\B");
  EXPECT_FALSE(reg.OpenKey("Missing", false));
  EXPECT_EQ(reg.CurrentPath(), sandbox.Path("A") + "\\B") << "a failed open keeps the open key";
  EXPECT_TRUE(reg.KeyExists("C"));
  EXPECT_FALSE(reg.KeyExists("\\C"));
  EXPECT_TRUE(reg.KeyExists("\\" + sandbox.Path("A\\B\\C")));

  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKey(sandbox.Path("A"), false)) << "with no key open, from the root";
  reg.SetRootKey(kHkeyLocalMachine);
  EXPECT_EQ(reg.CurrentKey(), 0u) << "changing the root closes the key";
  EXPECT_FALSE(reg.KeyExists(sandbox.Path("A")));
  reg.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(reg.OpenKey("", false)) << "the empty path opens the root";
  EXPECT_EQ(reg.CurrentPath(), "");
  ASSERT_TRUE(reg.OpenKeyReadOnly(sandbox.Path("A")));
  EXPECT_EQ(reg.Access(), kKeyRead);
}

TEST_P(Accessor, DeleteKeyRemovesEverythingBelowIt) {
  for (const char* path : {"T\\a\\x", "T\\a\\y\\deep", "T\\b"}) {
    ASSERT_TRUE(reg.OpenKey("\\" + sandbox.Path(path), true));
    reg.WriteString("v", path);
  }
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey(sandbox.Path("T")));
  EXPECT_FALSE(reg.KeyExists(sandbox.Path("T")));
  EXPECT_FALSE(reg.DeleteKey(sandbox.Path("T"))) << "nothing left to delete";
  EXPECT_TRUE(reg.KeyExists(sandbox.Path("V")));
}

// A deletion cut short (here by the Registry stopping the program) leaves the
// accessor on the key it had open, and no handle behind.
TEST(AccessorDeletion, AnInterruptedDeleteKeyRestoresTheOpenKeyAndClosesItsHandles) {
  for (int crashAt = 1; crashAt <= 3; ++crashAt) {
    MemoryRegistry registry;
    {
      TRegistry reg(registry);
      reg.SetRootKey(kHkeyCurrentUser);
      for (const char* path : {"T\\a\\x", "T\\b", "Kept"}) ASSERT_TRUE(reg.CreateKey(path));
      ASSERT_TRUE(reg.OpenKey("Kept", false));
      const HKey kept = reg.CurrentKey();
      registry.crashAtChange = registry.changes + crashAt;
      EXPECT_THROW(reg.DeleteKey("\\T"), RegistryCrash) << crashAt;
      EXPECT_EQ(reg.CurrentKey(), kept) << crashAt;
      EXPECT_EQ(reg.CurrentPath(), "Kept") << crashAt;
      EXPECT_EQ(registry.OpenHandles(), 1u) << crashAt << ": only the open key's handle";
    }
    EXPECT_EQ(registry.OpenHandles(), 0u) << crashAt;
  }
}

TEST_P(Accessor, TypedReadsRefuseOtherTypes) {
  Put("dword", kRegDword, B({1, 0, 0, 0}));
  Put("sz", kRegSz, Text0("text"));
  Put("bin0", kRegBinary, {});
  Put("big", kRegBinary, B({1, 2, 3, 4, 5}));
  std::uint8_t buffer[4];
  EXPECT_EQ(reg.ReadString("missing"), "");
  EXPECT_EQ(reg.ReadString("bin0"), "") << "an empty value reads as empty text";
  EXPECT_EQ(ErrorOf([&] { reg.ReadString("dword"); }), "Invalid data type for 'dword'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("sz"); }), "Invalid data type for 'sz'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("missing"); }), "Failed to get data for 'missing'");
  EXPECT_EQ(ErrorOf([&] { reg.GetDataInfo("missing"); }), "Failed to get data for 'missing'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("sz", buffer, 4); }), "Invalid data type for 'sz'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("big", buffer, 4); }), "Invalid data type for 'big'");
  EXPECT_EQ(reg.ReadBinaryData("missing", buffer, 4), 0u);
  EXPECT_EQ(reg.ReadInteger("dword"), 1);
  EXPECT_TRUE(reg.DeleteValue("dword"));
  EXPECT_FALSE(reg.DeleteValue("dword")) << "no error for a value that is not there";
}

TEST_P(Accessor, FailuresNameTheKeyOrValue) {
  // A key deleted under the accessor refuses a write on every Windows; one
  // opened for reading only would not on Windows 95, 98 and ME.
  ASSERT_EQ(sandbox.Api().DeleteKey(kHkeyCurrentUser, sandbox.Path("V")), kErrorSuccess);
  EXPECT_EQ(ErrorOf([&] { reg.WriteString("x", "1"); }), "Failed to set data for 'x'");
  if (MemoryRegistry* memory = sandbox.Memory()) {
    memory->RefuseChangesUnder(kHkeyLocalMachine);
    reg.SetRootKey(kHkeyLocalMachine);
    EXPECT_EQ(ErrorOf([&] { reg.CreateKey("\\Software\\New"); }), "Failed to create key Software\\New");
    EXPECT_FALSE(reg.OpenKey("Software\\New", true));
  }
}

TEST_P(Accessor, ValueTextAndHexViews) {
  struct Case {
    const char* name;
    std::uint32_t type;
    Bytes bytes;
    const char* text;
    const char* hex;
  };
  const Case cases[] = {
      {"sz", kRegSz, Text0("Hello"), "Hello", "48 65 6C 6C 6F"},
      {"ab", kRegSz, Text0("AB"), "AB", "41 42"},
      {"expand", kRegExpandSz, Text0("%windir%\\x"), "%windir%\\x", "25 77 69 6E 64 69 72 25 5C 78"},
      {"emptysz", kRegSz, Text0(""), "", ""},
      {"minus1", kRegDword, B({0xFF, 0xFF, 0xFF, 0xFF}), "-1", "FF FF FF FF"},
      {"dword", kRegDword, B({0x78, 0x56, 0x34, 0x12}), "305419896", "78 56 34 12"},
      {"multi", kRegMultiSz, B({'a', 0, 'b', 0, 0}), "a", "61 00 62 00 00"},
      {"bin", kRegBinary, B({1, 0xA0, 0xFF}), "\x01\xA0\xFF", "01 A0 FF"},
      {"bin0first", kRegBinary, B({0, 'A'}), "", "00 41"},
      {"binempty", kRegBinary, {}, "", ""},
      {"bigendian", kRegDwordBigEndian, B({0, 0, 0, 5}), "", "00 00 00 05"},
      {"none", kRegNone, B({'x', 'y'}), "xy", "78 79"},
  };
  for (const Case& c : cases) Put(c.name, c.type, c.bytes);
  for (const Case& c : cases) {
    EXPECT_EQ(reg.ReadValueText(c.name, "(none)"), c.text) << c.name;
    EXPECT_EQ(reg.ReadValueHex(c.name, "(none)"), c.hex) << c.name;
  }
  EXPECT_EQ(reg.ReadValueText("missing", "(none)"), "(none)");
  EXPECT_EQ(reg.ReadValueHex("missing", "dflt"), "dflt");
}

TEST_P(Accessor, HexTextWritesOnlyWhenItConverts) {
  struct Case {
    const char* hex;
    Bytes bytes;
  };
  const Case cases[] = {
      {"01 A0 FF", B({1, 0xA0, 0xFF})},
      {"", {}},
      {"ab cd", B({0xAB, 0xCD})},
      {"ABCDEF", B({0xEF, 0})},  // six digits hold two bytes by length; the one written, then zero
  };
  for (const Case& c : cases) {
    reg.WriteHexText("bin", c.hex);
    EXPECT_EQ(Get("bin"), std::make_pair(kRegBinary, c.bytes)) << c.hex;
  }
  Put("keep", kRegSz, Text0("old"));
  EXPECT_EQ(ErrorOf([&] { reg.WriteHexText("keep", "01 02 "); }), "StringToByteArray: More bytes than specified maximum.");
  EXPECT_EQ(Get("keep"), std::make_pair(kRegSz, Text0("old"))) << "text that does not convert changes nothing";
}

TEST_P(Accessor, KeepTypeWritersFollowTheExistingValue) {
  struct Case {
    const char* what;
    std::uint32_t existing;  // kNoValue: none
    int op;                  // 0 WriteIntegerKeepType(5), 1 WriteTextKeepType("12"), 2 WriteTextValue("12")
    std::uint32_t type;
    Bytes bytes;
  };
  const std::uint32_t kNoValue = 0xFFFF;
  const Case cases[] = {
      {"integer, none", kNoValue, 0, kRegDword, B({5, 0, 0, 0})},
      {"integer, sz", kRegSz, 0, kRegSz, Text0("5")},
      {"integer, expand", kRegExpandSz, 0, kRegExpandSz, Text0("5")},
      {"integer, dword", kRegDword, 0, kRegDword, B({5, 0, 0, 0})},
      {"integer, big endian", kRegDwordBigEndian, 0, kRegDword, B({0, 0, 0, 5})},
      {"integer, binary", kRegBinary, 0, kRegBinary, B({5, 0, 0, 0})},
      {"integer, multi", kRegMultiSz, 0, kRegMultiSz, B({5, 0, 0, 0})},
      {"text, none", kNoValue, 1, kRegSz, Text0("12")},
      {"text, sz", kRegSz, 1, kRegSz, Text0("12")},
      {"text, expand", kRegExpandSz, 1, kRegExpandSz, Text0("12")},
      {"text, dword", kRegDword, 1, kRegDword, B({12, 0, 0, 0})},
      {"text, big endian", kRegDwordBigEndian, 1, kRegDword, B({0, 0, 0, 12})},
      {"text, binary", kRegBinary, 1, kRegBinary, Text0("12")},
      {"text, none type", kRegNone, 1, kRegNone, Text0("12")},
      {"value, none", kNoValue, 2, kRegSz, Text0("12")},
      {"value, binary", kRegBinary, 2, kRegSz, Text0("12")},
      {"value, dword", kRegDword, 2, kRegDword, B({12, 0, 0, 0})},
      {"value, expand", kRegExpandSz, 2, kRegExpandSz, Text0("12")},
  };
  for (const Case& c : cases) {
    reg.DeleteValue("v");
    if (c.existing != kNoValue) Put("v", c.existing, B({9, 9}));
    if (c.op == 0) reg.WriteIntegerKeepType("v", 5);
    if (c.op == 1) reg.WriteTextKeepType("v", "12");
    if (c.op == 2) reg.WriteTextValue("v", "12");
    EXPECT_EQ(Get("v"), std::make_pair(c.type, c.bytes)) << c.what;
  }
  Put("d", kRegDword, B({1, 0, 0, 0}));
  reg.WriteTextKeepType("d", "not a number");
  EXPECT_EQ(Get("d").second, B({0, 0, 0, 0})) << "text that does not convert means 0";
}

INSTANTIATE_TEST_SUITE_P(Registries, Accessor, ::testing::ValuesIn(testing::RegistryKindsUnderTest()),
                         [](const auto& info) { return testing::KindName(info.param); });

TEST(HexText, BytesToTextAndBack) {
  const std::uint8_t bytes[] = {1, 160, 255, 0};
  EXPECT_EQ(TSuperReg2::ByteArrayToString(bytes, 3), "01 A0 FF");
  EXPECT_EQ(TSuperReg2::ByteArrayToString(bytes, 0), "");
  EXPECT_EQ(TSuperReg2::ByteArrayToString(bytes, -1), "");
  std::uint8_t all[256];
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
  std::string hex = TSuperReg2::ByteArrayToString(all, 256);
  std::uint8_t back[256] = {};
  TSuperReg2::StringToByteArray(hex, back, 256);
  EXPECT_EQ(std::memcmp(all, back, 256), 0) << "the text of n bytes fits a capacity of n exactly";
}

TEST(HexText, ReadingHexTextIsLenient) {
  struct Case {
    const char* text;
    Bytes bytes;  // what is stored, in order
  };
  const Case cases[] = {
      {"ab cd", B({0xAB, 0xCD})},    {"A", B({0x0A})},         {"ABC", B({0xBC})},
      {"AB  CD", B({0xAB, 0xCD})},   {" AB", B({0, 0xAB})},    {"AB,CD;EF", B({0xAB, 0xCD, 0xEF})},
      {"AB ", B({0xAB, 0})},         {"AB  ", B({0xAB, 0, 0})}, {"  ", {}},
      {"\t\r\n", {}},                {"", {}},
  };
  for (const Case& c : cases) {
    std::uint8_t buffer[8];
    std::memset(buffer, 0x77, sizeof buffer);
    TSuperReg2::StringToByteArray(c.text, buffer, c.bytes.size());
    EXPECT_EQ(Bytes(buffer, buffer + c.bytes.size()), c.bytes) << "'" << c.text << "'";
    if (!c.bytes.empty()) {
      EXPECT_THROW(TSuperReg2::StringToByteArray(c.text, buffer, c.bytes.size() - 1), std::runtime_error) << c.text;
    }
  }
  EXPECT_EQ(HexTextByteCount("01 A0 FF"), 3u);
  EXPECT_EQ(HexTextByteCount("AB "), 1u);
}

}  // namespace
}  // namespace cordalis
