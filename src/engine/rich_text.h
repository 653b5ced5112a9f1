#pragma once
// The rich-text panes (description, detail): text inserted as runs, each with
// a face and a style, in paragraphs with indents. The Win32 rich edit and a
// recording model for tests stand behind this port.
#include <string>

namespace cordalis {

enum class Face { Pane, Courier };  // the pane's own font, or "Courier New"

enum Style : unsigned {
  stNone = 0,
  stBold = 1,
  stItalic = 2,
  stUnderline = 4,
};

class RichTextPane {
 public:
  virtual ~RichTextPane() = default;
  virtual void Clear() = 0;
  // Indents in points of every paragraph.
  virtual void SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints) = 0;
  // The insertion point goes to the start or the end of the text.
  virtual void MoveToStart() = 0;
  virtual void MoveToEnd() = 0;
  // Inserts text at the insertion point, which then follows it.
  virtual void Insert(const std::string& text, Face face, unsigned style) = 0;
};

// One run of text with its attributes, as the panes are written.
struct TextRun {
  std::string text;
  Face face = Face::Pane;
  unsigned style = stNone;
  friend bool operator==(const TextRun&, const TextRun&) = default;
};

}  // namespace cordalis
