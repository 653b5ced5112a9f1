#include "app/version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/version_block_builder.h"
#include "support/build_path.h"

namespace cordalis {
namespace {

using test::Bytes;
using test::Layout;
using test::TableDef;
using test::VersionBlock;

const TableDef kUsTable{"040904E4",
                         {{"CompanyName", u"Quillfeather"}, {"FileVersion", u"1.0.0.0"}, {"Comments", u""}}};

FixedFileInfo SampleFixed() {
  FixedFileInfo f;
  f.signature = 0xFEEF04BD;
  f.structVersion = 0x10000;
  f.fileVersionHigh = 0x10002;
  f.fileVersionLow = 0x30004;
  f.productVersionHigh = 5;
  f.productVersionLow = 6;
  f.fileFlagsMask = 0x3F;
  f.fileFlags = 0x2;
  f.fileOs = 0x40004;
  f.fileType = 1;
  f.fileSubtype = 7;
  f.fileDateHigh = 0x12345678;
  f.fileDateLow = 0x9ABCDEF0;
  return f;
}

bool SameFixed(const FixedFileInfo& a, const FixedFileInfo& b) {
  return test::FixedBytes(a) == test::FixedBytes(b);
}

// Offset of the node with that key (the first one), for tests that damage it.
std::size_t NodeOffset(const Bytes& block, const std::string& key, Layout layout) {
  Bytes pattern;
  for (unsigned char c : key) {
    pattern.push_back(c);
    if (layout == Layout::Wide) pattern.push_back(0);
  }
  auto at = std::search(block.begin(), block.end(), pattern.begin(), pattern.end());
  EXPECT_NE(at, block.end()) << key;
  return static_cast<std::size_t>(at - block.begin()) - (layout == Layout::Wide ? 6 : 4);
}

void SetLength(Bytes& block, std::size_t node, unsigned length) {
  block[node] = static_cast<std::uint8_t>(length);
  block[node + 1] = static_cast<std::uint8_t>(length >> 8);
}

std::vector<std::string> Keys(const TVerInfoObj& info) {
  std::vector<std::string> keys;
  for (const TVerLangObj& table : info.Tables()) keys.push_back(table.Key());
  return keys;
}

class VersionInfoLayouts : public ::testing::TestWithParam<Layout> {};

INSTANTIATE_TEST_SUITE_P(BothLayouts, VersionInfoLayouts, ::testing::Values(Layout::Wide, Layout::Narrow),
                         [](const auto& p) { return p.param == Layout::Wide ? "Wide" : "Narrow"; });

TEST_P(VersionInfoLayouts, ReadsStringsInOrderAndTheFixedRecord) {
  TVerInfoObj info = TVerInfoObj::FromBlock(VersionBlock(GetParam(), {kUsTable}, SampleFixed()));
  ASSERT_EQ(info.Tables().size(), 1u);
  EXPECT_EQ(info.Tables()[0].Key(), "040904E4");
  EXPECT_EQ(info.Tables()[0].Strings(),
            (std::vector<std::string>{"CompanyName=Quillfeather", "FileVersion=1.0.0.0", "Comments="}));
  EXPECT_TRUE(SameFixed(info.FixedInfo(), SampleFixed()));
}

TEST_P(VersionInfoLayouts, LooksUpNamesWithoutRegardToCase) {
  TVerInfoObj info = TVerInfoObj::FromBlock(VersionBlock(GetParam(), {kUsTable}));
  EXPECT_EQ(info.Value("FileVersion"), "1.0.0.0");
  EXPECT_EQ(info.Value("fileversion"), "1.0.0.0");
  EXPECT_EQ(info.Value("FILEVERSION"), "1.0.0.0");
  EXPECT_EQ(info.Value("File"), "");  // a prefix of a name is not the name
  EXPECT_EQ(info.Value("PubDate"), "");
  EXPECT_EQ(info.Value("Comments"), "");
}

TEST_P(VersionInfoLayouts, FixedRecordIsZeroWithoutOne) {
  TVerInfoObj info = TVerInfoObj::FromBlock(VersionBlock(GetParam(), {kUsTable}));
  EXPECT_TRUE(SameFixed(info.FixedInfo(), FixedFileInfo{}));
  EXPECT_EQ(info.Value("CompanyName"), "Quillfeather");  // children start right after the header
}

TEST_P(VersionInfoLayouts, OnlyThePreferredTableIsConsulted) {
  TableDef second{"040904B0", {{"PubDate", u"May 1, 2001"}}};
  TVerInfoObj info = TVerInfoObj::FromBlock(VersionBlock(GetParam(), {kUsTable, second}));
  ASSERT_EQ(Keys(info), (std::vector<std::string>{"040904E4", "040904B0"}));
  EXPECT_EQ(info.Value("PubDate"), "");
}

TEST_P(VersionInfoLayouts, SkipsEveryOtherChildOfTheRoot) {
  test::NodeDef root = test::RootNode(GetParam(), {kUsTable}, std::nullopt);
  test::NodeDef other{"StringFileInfoX", {}, 0, {test::StringNode("FileVersion", u"9", GetParam())}};
  root.children.insert(root.children.begin(), {test::VarFileInfo(), other});
  TVerInfoObj info = TVerInfoObj::FromBlock(test::BuildNode(root, GetParam()));
  ASSERT_EQ(Keys(info), (std::vector<std::string>{"040904E4"}));
  EXPECT_EQ(info.Value("FileVersion"), "1.0.0.0");
  EXPECT_EQ(info.Value("Translation"), "");
}

struct RankingCase {
  std::vector<std::string> keys;  // in resource order
  std::vector<std::string> expected;
  size_t preferred;  // which of keys is the preferred table
};

class VersionInfoRanking : public ::testing::TestWithParam<RankingCase> {};

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionInfoRanking,
    ::testing::Values(RankingCase{{"040704B0"}, {"040704B0"}, 0},
                      RankingCase{{"040904B0", "040904E4"}, {"040904E4", "040904B0"}, 1},
                      RankingCase{{"040904E4", "040904B0"}, {"040904E4", "040904B0"}, 0},
                      RankingCase{{"040704B0", "040904B0"}, {"040904B0", "040704B0"}, 1},
                      RankingCase{{"040704B0", "041104B0"}, {"040704B0", "041104B0"}, 0},
                      RankingCase{{"040704B0", "040904e4"}, {"040904E4", "040704B0"}, 1},
                      RankingCase{{"040904B0", "040904B1", "041104B0"}, {"040904B0", "040904B1", "041104B0"}, 0},
                      RankingCase{{"040704B0", "040904B0", "040904E4", "040904E4"},
                                  {"040904E4", "040904B0", "040704B0", "040904E4"}, 2}));

TEST_P(VersionInfoRanking, PutsTheFirstBestTableFirst) {
  const RankingCase& c = GetParam();
  for (Layout layout : {Layout::Wide, Layout::Narrow}) {
    std::vector<TableDef> tables;
    for (size_t i = 0; i < c.keys.size(); ++i) tables.push_back({c.keys[i], {{"Index", std::u16string(1, u'0' + i)}}});
    TVerInfoObj info = TVerInfoObj::FromBlock(VersionBlock(layout, tables));
    EXPECT_EQ(Keys(info), c.expected);
    EXPECT_EQ(info.Value("index"), std::string(1, static_cast<char>('0' + c.preferred)));
  }
}

Bytes CorpusFile(const std::string& name) {
  std::ifstream in(testing::BuildPath(CORDALIS_SOURCE_DIR "/fuzz/corpus/version_info/") + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The program's own block as the resource compiler writes it, and the same tree
// with 8-bit keys.
TEST(VersionInfo, ReadsTheProgramsOwnBlockInBothLayouts) {
  TVerInfoObj wide = TVerInfoObj::FromBlock(CorpusFile("cordalis_utf16"));
  TVerInfoObj narrow = TVerInfoObj::FromBlock(CorpusFile("cordalis_8bit"));
  ASSERT_EQ(Keys(wide), std::vector<std::string>{"040904E4"});
  EXPECT_EQ(wide.Value("FileVersion"), "1.0.0");
  EXPECT_EQ(wide.Value("LegalCopyright"), "Copyright (C) Quillfeather");
  EXPECT_EQ(wide.Tables()[0].Strings().size(), 8u);
  EXPECT_EQ(wide.FixedInfo().signature, 0xFEEF04BDu);
  EXPECT_EQ(wide.FixedInfo().fileVersionHigh, 0x10000u);
  EXPECT_EQ(wide.FixedInfo().fileFlagsMask, 0x3Fu);
  ASSERT_EQ(Keys(narrow), Keys(wide));
  EXPECT_EQ(narrow.Tables()[0].Strings(), wide.Tables()[0].Strings());
  EXPECT_TRUE(SameFixed(narrow.FixedInfo(), wide.FixedInfo()));
}

TEST(VersionInfo, WideTextBecomesWindows1252) {
  TableDef table{"040904E4", {{"Comments", u"caf\u00E9 \u20AC \u0416 \u2122"}}};
  EXPECT_EQ(TVerInfoObj::FromBlock(VersionBlock(Layout::Wide, {table})).Value("Comments"), "caf\xE9 \x80 ? \x99");
}

TEST(VersionInfo, EmptyOrForeignBlocksGiveNothing) {
  for (const Bytes& block : {Bytes{}, Bytes{0, 0}, Bytes(200, 0), Bytes(200, 0xFF)}) {
    TVerInfoObj info = TVerInfoObj::FromBlock(block);
    EXPECT_TRUE(info.Tables().empty());
    EXPECT_TRUE(SameFixed(info.FixedInfo(), FixedFileInfo{}));
    EXPECT_EQ(info.Value("FileVersion"), "");
  }
  test::NodeDef root = test::RootNode(Layout::Wide, {kUsTable}, SampleFixed());
  root.key = "VS_VERSION_INFX";
  EXPECT_TRUE(TVerInfoObj::FromBlock(test::BuildNode(root, Layout::Wide)).Tables().empty());
}

// Whatever a damaged block yields is a prefix of what the whole block holds.
void ExpectPrefixOfWhole(const TVerInfoObj& part, const TVerInfoObj& whole) {
  ASSERT_LE(part.Tables().size(), whole.Tables().size());
  for (size_t i = 0; i < part.Tables().size(); ++i) {
    const auto& strings = part.Tables()[i].Strings();
    const auto& all = whole.Tables()[i].Strings();
    ASSERT_LE(strings.size(), all.size());
    EXPECT_TRUE(std::equal(strings.begin(), strings.end(), all.begin()));
  }
}

TEST_P(VersionInfoLayouts, SurvivesTheBlockCutAtEveryLength) {
  const Bytes whole = VersionBlock(GetParam(), {kUsTable, {"040704B0", {{"A", u"b"}}}}, SampleFixed());
  const TVerInfoObj full = TVerInfoObj::FromBlock(whole);
  const size_t stringFileInfo = NodeOffset(whole, "StringFileInfo", GetParam());
  const size_t stringFileInfoEnd = stringFileInfo + (whole[stringFileInfo] | (whole[stringFileInfo + 1] << 8));
  for (size_t n = 0; n < whole.size(); ++n) {
    SCOPED_TRACE(n);
    Bytes cut(whole.begin(), whole.begin() + n);  // exactly n bytes: a sanitizer sees any read past them
    EXPECT_TRUE(TVerInfoObj::FromBlock(cut).Tables().empty());  // the root is longer than the block
    if (n >= 2) SetLength(cut, 0, static_cast<unsigned>(n));
    TVerInfoObj part = TVerInfoObj::FromBlock(cut);
    ExpectPrefixOfWhole(part, full);
    if (n < stringFileInfoEnd) {
      EXPECT_TRUE(part.Tables().empty()) << "read a table of a cut StringFileInfo";
    }
  }
}

class VersionInfoBadLength : public ::testing::TestWithParam<unsigned> {};

// 0 points the walk back at the same node; the others are shorter than the header.
INSTANTIATE_TEST_SUITE_P(Lengths, VersionInfoBadLength, ::testing::Values(0u, 1u, 3u, 4u, 6u, 7u, 29u));

TEST_P(VersionInfoBadLength, StopsTheWalkOfThatLevelOnly) {
  Bytes block = VersionBlock(Layout::Wide, {kUsTable, {"040704B0", {{"A", u"b"}}}});
  SetLength(block, NodeOffset(block, "FileVersion", Layout::Wide), GetParam());  // 30-byte header
  TVerInfoObj info = TVerInfoObj::FromBlock(block);
  ASSERT_EQ(Keys(info), (std::vector<std::string>{"040904E4", "040704B0"}));
  EXPECT_EQ(info.Tables()[0].Strings(), std::vector<std::string>{"CompanyName=Quillfeather"});
  EXPECT_EQ(info.Tables()[1].Strings(), std::vector<std::string>{"A=b"});
}

TEST_P(VersionInfoBadLength, OfStringFileInfoLeavesNoTables) {
  Bytes block = VersionBlock(Layout::Narrow, {kUsTable}, SampleFixed());
  SetLength(block, NodeOffset(block, "StringFileInfo", Layout::Narrow), GetParam());
  TVerInfoObj info = TVerInfoObj::FromBlock(block);
  EXPECT_TRUE(info.Tables().empty());
  EXPECT_TRUE(SameFixed(info.FixedInfo(), SampleFixed()));
}

TEST_P(VersionInfoLayouts, NodeLongerThanItsParentStopsTheWalk) {
  Bytes block = VersionBlock(GetParam(), {kUsTable, {"040704B0", {{"A", u"b"}}}});
  const size_t table = NodeOffset(block, "040904E4", GetParam());
  const size_t tableLength = block[table] | (block[table + 1] << 8);
  const size_t string = NodeOffset(block, "FileVersion", GetParam());
  SetLength(block, string, static_cast<unsigned>(table + tableLength - string + 1));
  TVerInfoObj info = TVerInfoObj::FromBlock(block);
  ASSERT_EQ(info.Tables().size(), 2u);
  EXPECT_EQ(info.Tables()[0].Strings(), std::vector<std::string>{"CompanyName=Quillfeather"});

  SetLength(block, table, 0xFFFF);  // longer than the block itself
  EXPECT_TRUE(TVerInfoObj::FromBlock(block).Tables().empty());
}

TEST_P(VersionInfoLayouts, RootValueBeyondTheRootGivesNoChildren) {
  Bytes block = VersionBlock(GetParam(), {kUsTable}, SampleFixed());
  SetLength(block, 2, 0xFFFF);  // the root's value length
  TVerInfoObj info = TVerInfoObj::FromBlock(block);
  EXPECT_TRUE(info.Tables().empty());
  EXPECT_TRUE(SameFixed(info.FixedInfo(), SampleFixed()));
}

TEST(VersionInfo, KeyWithoutTerminatorInsideItsNodeIsRejected) {
  Bytes block = VersionBlock(Layout::Narrow, {kUsTable});
  const size_t string = NodeOffset(block, "CompanyName", Layout::Narrow);
  SetLength(block, string, 4 + 5);  // ends inside the key "CompanyName"
  EXPECT_TRUE(TVerInfoObj::FromBlock(block).Tables()[0].Strings().empty());
}

}  // namespace
}  // namespace cordalis
