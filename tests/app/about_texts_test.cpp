#include "app/about_texts.h"

#include <gtest/gtest.h>

#include "app/version_block_builder.h"
#include "app/version_info.h"

namespace cordalis {
namespace {

using test::Layout;
using test::TableDef;

TVerInfoObj Info(const std::vector<std::pair<std::string, std::u16string>>& strings, std::uint32_t flags = 0,
                 std::uint32_t mask = 0x3F) {
  FixedFileInfo fixed;
  fixed.signature = 0xFEEF04BD;
  fixed.fileFlagsMask = mask;
  fixed.fileFlags = flags;
  return TVerInfoObj::FromBlock(test::VersionBlock(Layout::Wide, {TableDef{"040904E4", strings}}, fixed));
}

struct VersionCase {
  std::u16string fileVersion;  // empty: no "FileVersion" string at all
  std::uint32_t flags;
  std::uint32_t mask;
  const char* text;
  bool beta;
};

class AboutVersionText : public ::testing::TestWithParam<VersionCase> {};

INSTANTIATE_TEST_SUITE_P(
    Rows, AboutVersionText,
    ::testing::Values(VersionCase{u"1.0.0.0", 0, 0x3F, "Cordalis - version 1.0.0.0", false},
                      VersionCase{u"1.0.0.0", 2, 0x3F, "Cordalis - beta version 1.0.0.0", true},
                      VersionCase{u"", 0, 0x3F, "Cordalis", false},
                      VersionCase{u"", 2, 0x3F, "Cordalis beta", true},
                      VersionCase{u"1.0.0.0", 2, 0, "Cordalis - beta version 1.0.0.0", true},  // mask ignored
                      VersionCase{u"1.0.0.0", 0x3D, 0x3F, "Cordalis - version 1.0.0.0", false}));

TEST_P(AboutVersionText, FollowsFileVersionAndThePrereleaseFlag) {
  const VersionCase& c = GetParam();
  std::vector<std::pair<std::string, std::u16string>> strings{{"CompanyName", u"Quillfeather"}};
  if (!c.fileVersion.empty()) strings.push_back({"FileVersion", c.fileVersion});
  AboutTexts texts = ComposeAboutTexts(Info(strings, c.flags, c.mask), "Cordalis");
  EXPECT_EQ(texts.version, c.text);
  EXPECT_EQ(texts.beta, c.beta);
}

TEST(AboutTexts, EmptyFileVersionIsLikeNone) {
  EXPECT_EQ(ComposeAboutTexts(Info({{"FileVersion", u""}}), "Cordalis").version, "Cordalis");
}

TEST(AboutTexts, TakesTheResourceStrings) {
  AboutTexts texts = ComposeAboutTexts(
      Info({{"LegalCopyright", u"(C) 2001 Someone"}, {"Comments", u"By someone"}, {"PubDate", u"May 1, 2001"}}),
      "Cordalis");
  EXPECT_EQ(texts.caption, "About Cordalis");
  EXPECT_EQ(texts.copyright, "(C) 2001 Someone");
  EXPECT_EQ(texts.author, "By someone");
  EXPECT_EQ(texts.pubDate, "May 1, 2001");
  EXPECT_EQ(texts.publication, "First published in Quillfeather's Tweaks");
}

TEST(AboutTexts, FixedTextsStandInForMissingOrEmptyStrings) {
  for (const TVerInfoObj& info : {TVerInfoObj::FromBlock({}), Info({{"LegalCopyright", u""}, {"Comments", u""}})}) {
    AboutTexts texts = ComposeAboutTexts(info, "Cordalis");
    EXPECT_EQ(texts.caption, "About Cordalis");
    EXPECT_EQ(texts.version, "Cordalis");
    EXPECT_FALSE(texts.beta);
    EXPECT_EQ(texts.copyright, "Copyright (C) Quillfeather");
    EXPECT_EQ(texts.author, "Written by the Quillfeather team");
    EXPECT_EQ(texts.pubDate, "Monthuary 32, 2001");
  }
}

TEST(AboutTexts, PlatformLine) {
  EXPECT_EQ(PlatformLine("Windows 98 with IE 5"), "Platform: Windows 98 with IE 5");
  EXPECT_EQ(PlatformLine(""), "Platform: ");
}

}  // namespace
}  // namespace cordalis
