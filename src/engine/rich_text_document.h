#pragma once
// The content of a rich-text pane held in memory: runs, the insertion point,
// the selection and the paragraph indents. The recording pane of the tests is
// this document; the rich edit keeps one too and shows it in one stream.
#include <string>
#include <vector>

#include "engine/rich_text.h"

namespace cordalis {

struct ParagraphIndents {
  int leftPoints = 0;
  int rightPoints = 0;
  int firstLinePoints = 0;
  friend bool operator==(const ParagraphIndents&, const ParagraphIndents&) = default;
};

class RichTextDocument {
 public:
  void Clear();
  void SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints);
  // The insertion point is the selection, collapsed, as in a rich edit.
  void MoveToStart() { caret_ = selStart_ = selLength_ = 0; }
  void MoveToEnd() {
    caret_ = selStart_ = size_;
    selLength_ = 0;
  }
  // Neighbouring runs of the same attributes are one run.
  void Insert(const std::string& text, Face face, unsigned style);
  // Clamped to the text.
  void Select(int start, int length);
  void SelectAll() { Select(0, static_cast<int>(size_)); }

  std::string Text() const;
  std::string SelectedText() const;
  const std::vector<TextRun>& Runs() const { return runs_; }
  const ParagraphIndents& Indents() const { return indents_; }
  int SelectionStart() const { return static_cast<int>(selStart_); }
  int SelectionLength() const { return static_cast<int>(selLength_); }
  // Lines of text, counting each "\r\n" and the last line.
  int LineCount() const;

 private:
  std::vector<TextRun> runs_;
  ParagraphIndents indents_;
  std::size_t size_ = 0;
  std::size_t caret_ = 0;
  std::size_t selStart_ = 0;
  std::size_t selLength_ = 0;
};

}  // namespace cordalis
