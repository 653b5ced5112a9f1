// What the portable settings store does beyond the shared contract: it edits
// the file in place the way Windows does, keeps every byte it does not
// change, and replaces the file so that a crash leaves the old or the new one.
#include <gtest/gtest.h>

#include <string>

#include "host/ini_settings_store.h"
#include "host/ini_text.h"
#include "doubles/memory_file_store.h"

namespace cordalis {
namespace {

using testing::MemoryFileStore;
using testing::SimulatedCrash;

constexpr char kPath[] = "C:\\Program\\Cordalis.INI";

class IniSettingsStoreTest : public ::testing::Test {
 protected:
  MemoryFileStore files_;
  IniSettingsStore store_{kPath, files_};
};

struct EditCase {
  const char* name;
  const char* before;
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

TEST(IniText, EditsKeepEveryOtherByte) {
  const EditCase cases[] = {
      {"blank lines and indents stay", "; top\n\n[S]\n  a = 1  \n\n\n[T]\nb=2\n", "S", "a", "9",
       "; top\n\n[S]\na=9\r\n\n\n[T]\nb=2\n"},
      {"new key before the blank lines that end a section", "[S]\na=1\n\n[T]\n", "S", "c", "3",
       "[S]\na=1\nc=3\r\n\n[T]\n"},
      {"new key after a last line without line end", "[S]\na=1", "S", "c", "3", "[S]\na=1\r\nc=3\r\n"},
      {"new section after a last line without line end", "[S]\na=1", "T", "c", "3",
       "[S]\na=1\r\n[T]\r\nc=3\r\n"},
      {"new key in an empty section", "[S]\r\n[T]\r\n", "S", "c", "3", "[S]\r\nc=3\r\n[T]\r\n"},
      {"text before any section is no section", "a=1\r\n", "S", "a", "2", "a=1\r\n[S]\r\na=2\r\n"},
      {"a line without = names a key without a value", "[S]\r\n flag \r\n", "S", "FLAG", "1",
       "[S]\r\nflag=1\r\n"},
      {"a line without = is kept when another key is written", "[S]\r\n just text \r\n", "S", "a", "1",
       "[S]\r\n just text \r\na=1\r\n"},
      {"names written without blanks", "", " S ", " k ", "v", "[S]\r\nk=v\r\n"},
      {"the first of two same-named sections", "[S]\r\na=1\r\n[s]\r\nb=2\r\n", "S", "b", "3",
       "[S]\r\na=1\r\nb=3\r\n[s]\r\nb=2\r\n"},
      {"the first of two same-named keys", "[S]\r\na=1\r\nA=2\r\n", "S", "a", "3", "[S]\r\na=3\r\nA=2\r\n"},
      {"text after the closing bracket", "[S] old\r\na=1\r\n", "S", "a", "2", "[S] old\r\na=2\r\n"},
  };
  for (const EditCase& c : cases) EXPECT_EQ(SetIniValue(c.before, c.section, c.key, c.value), c.after) << c.name;
}

TEST(IniText, FindsOnlyInTheFirstSectionOfAName) {
  // As Wine's profile functions do: a second section of the same name is not searched.
  EXPECT_EQ(FindIniValue("[S]\r\na=1\r\n[S]\r\nb=2\r\n", "S", "b"), std::nullopt);
  EXPECT_EQ(FindIniValue("[S]\r\na=1\r\nA=2\r\n", "s", "A"), "1");
  EXPECT_EQ(FindIniValue("[S]\r\n[a=1\r\n", "S", "[a"), "1");
  EXPECT_EQ(FindIniValue("[S]x]\r\na=1\r\n", "S]x", "a"), "1");
  EXPECT_EQ(FindIniValue("[]\r\na=1\r\n", "", "a"), "1");
}

TEST(IniText, ADefaultOfSpacesOnlyBecomesEmpty) {
  // Wine's profile functions keep one space here; Windows strips every trailing blank.
  EXPECT_EQ(IniDefault("   "), "");
  EXPECT_EQ(IniDefault("\" \"  "), " ");
}

TEST_F(IniSettingsStoreTest, ReadsTheFileAtEveryCall) {
  EXPECT_EQ(store_.ReadString("S", "a", "none"), "none");
  files_.files[ToLowerAscii(kPath)] = "[S]\r\na=1\r\n";
  EXPECT_EQ(store_.ReadString("S", "a", "none"), "1");
  files_.At(kPath) = "[S]\r\na=2\r\n";
  EXPECT_EQ(store_.ReadString("S", "a", "none"), "2");
  ASSERT_TRUE(store_.WriteString("S", "b", "3"));
  EXPECT_EQ(files_.At(kPath), "[S]\r\na=2\r\nb=3\r\n");
}

TEST_F(IniSettingsStoreTest, AnUnchangedValueIsNotWrittenAgain) {
  ASSERT_TRUE(store_.WriteString("S", "a", "1"));
  int changes = files_.changes;
  ASSERT_TRUE(store_.WriteString("S", "A", "1"));
  EXPECT_EQ(files_.changes, changes);
}

TEST_F(IniSettingsStoreTest, AFailedWriteReportsFalseAndLeavesTheFile) {
  ASSERT_TRUE(store_.WriteString("S", "a", "1"));
  for (int step = 1; step <= 2; ++step) {
    files_.failAt = files_.changes + step;
    EXPECT_FALSE(store_.WriteString("S", "a", "2")) << step;
    EXPECT_EQ(files_.At(kPath), "[S]\r\na=1\r\n") << step;
  }
}

TEST_F(IniSettingsStoreTest, ACrashDuringAWriteLeavesTheOldOrTheNewFile) {
  const std::string before = "[S]\r\na=1\r\n";
  const std::string after = "[S]\r\na=2\r\n";
  for (int step = 1;; ++step) {
    MemoryFileStore files;
    files.files[ToLowerAscii(kPath)] = before;
    files.crashAt = step;
    IniSettingsStore store(kPath, files);
    try {
      store.WriteString("S", "a", "2");
    } catch (const SimulatedCrash&) {
      const std::string& now = files.At(kPath);
      EXPECT_TRUE(now == before || now == after) << "crash at step " << step << ": " << now;
      continue;
    }
    EXPECT_EQ(files.At(kPath), after);
    break;
  }
}

TEST_F(IniSettingsStoreTest, AnOversizedFileIsNeitherReadNorReplaced) {
  std::string huge = "[S]\r\na=1\r\n" + std::string(5u << 20, ';');
  files_.files[ToLowerAscii(kPath)] = huge;
  EXPECT_EQ(store_.ReadString("S", "a", "none"), "none");
  EXPECT_FALSE(store_.WriteString("S", "a", "2"));
  EXPECT_EQ(files_.At(kPath).size(), huge.size());
}

}  // namespace
}  // namespace cordalis
