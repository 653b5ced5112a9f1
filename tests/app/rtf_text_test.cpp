#include "app/rtf_text.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

TEST(RtfText, RunsBecomeGroupsWithTheirFaceAndStyleAndEscapedText) {
  RichTextDocument document;
  document.SetParagraphIndents(8, 8, 0);
  document.Insert("Title", Face::Pane, stBold | stUnderline);
  document.Insert(" {a\\b}\r\n", Face::Courier, stItalic);
  document.Insert("caf\xE9\tend", Face::Pane, stNone);
  const std::string rtf = DocumentRtf(document, {"Tahoma", 16, 1252});
  EXPECT_EQ(rtf,
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset1 Tahoma;}{\\f1\\fmodern\\fcharset1 "
            "Courier New;}}\r\n\\pard\\li160\\ri160\\fi0\\plain\\f0\\fs16 {\\f0\\b\\ul Title}{\\f1\\i  \\{a\\\\b\\}"
            "\\par\r\n}{\\f0 caf\\'e9\\tab end}}");
}

TEST(RtfText, PositionsMoveByTheLineBreaksBeforeThem) {
  const std::string written = "ab\r\ncd\r\n\r\nef";
  struct Case {
    int written, control;
  };
  for (const Case& c : {Case{0, 0}, Case{2, 2}, Case{4, 3}, Case{6, 5}, Case{10, 7}, Case{12, 9}}) {
    EXPECT_EQ(ControlPosition(written, c.written, true), c.control) << c.written;
    EXPECT_EQ(WrittenPosition(written, c.control, true), c.written) << c.control;
    EXPECT_EQ(ControlPosition(written, c.written, false), c.written) << "RichEdit 1.0 keeps both characters";
  }
}

TEST(RichTextDocument, InsertsAtTheCaretAndMergesLikeRuns) {
  RichTextDocument document;
  document.Insert("world", Face::Pane, stNone);
  document.MoveToStart();
  document.Insert("hello ", Face::Pane, stNone);
  document.Insert("big ", Face::Pane, stBold);
  EXPECT_EQ(document.Text(), "hello big world");
  EXPECT_EQ(document.Runs(), (std::vector<TextRun>{{"hello ", Face::Pane, stNone},
                                                   {"big ", Face::Pane, stBold},
                                                   {"world", Face::Pane, stNone}}));
  document.MoveToEnd();
  document.Insert("!", Face::Pane, stNone);
  EXPECT_EQ(document.Runs().back().text, "world!");
  document.Select(6, 100);
  EXPECT_EQ(document.SelectedText(), "big world!") << "clamped to the text";
  EXPECT_EQ(document.LineCount(), 1);
}

}  // namespace
}  // namespace cordalis
