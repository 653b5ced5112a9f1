#include "app/registry_read_cache.h"

#include <gtest/gtest.h>

#include <map>

#include "doubles/memory_registry.h"

namespace cordalis {
namespace {

// The Registry, counting the calls that reach it.
class CountingRegistry final : public RegistryApi {
 public:
  explicit CountingRegistry(RegistryApi& inner) : inner_(inner) {}
  std::map<std::string, int> calls;

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) override {
    ++calls["open"];
    return inner_.OpenKey(parent, subKey, access, result);
  }
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result, bool* created) override {
    return inner_.CreateKey(parent, subKey, access, result, created);
  }
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data,
                  std::uint32_t* size) override {
    ++calls["query"];
    return inner_.QueryValue(key, name, type, data, size);
  }
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return inner_.SetValue(key, name, type, data, size);
  }
  long DeleteValue(HKey key, const std::string& name) override { return inner_.DeleteValue(key, name); }
  long DeleteKey(HKey parent, const std::string& subKey) override { return inner_.DeleteKey(parent, subKey); }
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override { return inner_.EnumKey(key, index, name); }
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    return inner_.EnumValue(key, index, name);
  }
  long QueryInfoKey(HKey key, RegKeyInfo* info) override { return inner_.QueryInfoKey(key, info); }
  long CloseKey(HKey key) override {
    ++calls["close"];
    return inner_.CloseKey(key);
  }
  long FlushKey(HKey key) override { return inner_.FlushKey(key); }

 private:
  RegistryApi& inner_;
};

struct Answer {
  long error = 0;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  std::uint32_t size = 0;
  friend bool operator==(const Answer&, const Answer&) = default;
};

// Opens the key, reads the value (its bytes too, or only its type and size), closes the key.
Answer Read(RegistryApi& registry, const std::string& key, const std::string& name, bool withData) {
  Answer answer;
  HKey k = 0;
  answer.error = registry.OpenKey(kHkeyCurrentUser, key, kKeyRead, &k);
  if (answer.error != kErrorSuccess) return answer;
  answer.error = registry.QueryValue(k, name, &answer.type, withData ? &answer.data : nullptr, &answer.size);
  registry.CloseKey(k);
  return answer;
}

class RegistryReadCacheTest : public ::testing::Test {
 protected:
  RegistryReadCacheTest() {
    HKey k = 0;
    memory.CreateKey(kHkeyCurrentUser, "Software\\Pass", kKeyAllAccess, &k, nullptr);
    const std::uint8_t dword[] = {42, 0, 0, 0};
    memory.SetValue(k, "Number", kRegDword, dword, 4);
    memory.SetValue(k, "Text", kRegSz, reinterpret_cast<const std::uint8_t*>("on"), 3);
    memory.SetValue(k, "Empty", kRegBinary, nullptr, 0);
    memory.CloseKey(k);
  }
  MemoryRegistry memory;
};

TEST_F(RegistryReadCacheTest, AnswersAsTheRegistryDoesAndAgainFromWhatItRead) {
  struct Case {
    const char* key;
    const char* name;
  };
  const Case cases[] = {
      {"Software\\Pass", "Number"}, {"Software\\Pass", "Text"},  {"Software\\Pass", "Empty"},
      {"Software\\Pass", "nUMBER"}, {"SOFTWARE\\pass", "Text"},  {"Software\\Pass", "Missing"},
      {"Software\\Missing", "Text"},
  };
  RegistryReadCache cache(memory);
  for (int round = 0; round < 2; ++round)
    for (const Case& c : cases)
      for (bool withData : {false, true})
        EXPECT_EQ(Read(cache, c.key, c.name, withData), Read(memory, c.key, c.name, withData))
            << c.key << " " << c.name << " data " << withData << " round " << round;
}

TEST_F(RegistryReadCacheTest, OpensEachKeyAndReadsEachValueOnceAndClosesTheKeysWhenThePassEnds) {
  CountingRegistry counting(memory);
  {
    RegistryReadCache cache(counting);
    for (int i = 0; i < 3; ++i) {
      Read(cache, "Software\\Pass", "Number", false);
      Read(cache, "software\\PASS", "number", true);
      Read(cache, "Software\\Missing", "Number", true);
    }
    EXPECT_EQ(counting.calls["open"], 2);
    EXPECT_EQ(counting.calls["query"], 1);
    EXPECT_EQ(counting.calls["close"], 0) << "open for the whole pass";
  }
  EXPECT_EQ(counting.calls["close"], 1) << "the key that opened";
}

TEST_F(RegistryReadCacheTest, AChangeMadeThroughItIsReadBack) {
  RegistryReadCache cache(memory);
  EXPECT_EQ(Read(cache, "Software\\Pass", "Text", true).data, (std::vector<std::uint8_t>{'o', 'n', 0}));
  HKey k = 0;
  ASSERT_EQ(cache.OpenKey(kHkeyCurrentUser, "Software\\Pass", kKeyAllAccess, &k), kErrorSuccess);
  cache.SetValue(k, "Text", kRegSz, reinterpret_cast<const std::uint8_t*>("off"), 4);
  cache.CloseKey(k);
  EXPECT_EQ(Read(cache, "Software\\Pass", "Text", true).data, (std::vector<std::uint8_t>{'o', 'f', 'f', 0}));
  ASSERT_EQ(cache.OpenKey(kHkeyCurrentUser, "Software\\Pass", kKeyAllAccess, &k), kErrorSuccess);
  cache.DeleteValue(k, "Text");
  EXPECT_EQ(Read(cache, "Software\\Pass", "Text", true).error, kErrorFileNotFound);
}

}  // namespace
}  // namespace cordalis
