#pragma once
// The rich-text panes (description, detail): text inserted as runs, each with
// a face and a style, in paragraphs with indents. The Win32 rich edit and a
// recording model for tests stand behind this port, and one contract suite
// holds both to the same answers.
#include <string>

namespace cordalis {

enum class Face { Pane, Courier };  // the pane's own font, or "Courier New"

enum Style : unsigned {
  stNone = 0,
  stBold = 1,
  stItalic = 2,
  stUnderline = 4,
};

// Positions and lengths count characters of the text as written, in which a
// line break is the two characters "\r\n".
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
  // What was written since Clear is complete, and the pane shows it; a pane
  // may gather the writes until then.
  virtual void Present() = 0;

  virtual std::string Text() const = 0;
  // The pane keeps showing its selection when it does not have the focus.
  virtual void Select(int start, int length) = 0;
  virtual void SelectAll() = 0;
  virtual std::string SelectedText() const = 0;
  // Puts the selected text on the clipboard.
  virtual void Copy() = 0;
  // The height in pixels the content asks for at the pane's present width.
  virtual int RequestedHeight() = 0;
};

// One run of text with its attributes, as the panes are written.
struct TextRun {
  std::string text;
  Face face = Face::Pane;
  unsigned style = stNone;
  friend bool operator==(const TextRun&, const TextRun&) = default;
};

}  // namespace cordalis
