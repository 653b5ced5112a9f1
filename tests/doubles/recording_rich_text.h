#pragma once
// The rich-text port as a recording: what was written, as runs.
#include <string>
#include <vector>

#include "engine/rich_text.h"

namespace cordalis {

// Keeps what was written as runs, merging neighbours of the same attributes.
class RecordingRichText final : public RichTextPane {
 public:
  void Clear() override;
  void SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints) override;
  void MoveToStart() override { caret_ = 0; }
  void MoveToEnd() override { caret_ = Text().size(); }
  void Insert(const std::string& text, Face face, unsigned style) override;

  std::string Text() const;
  const std::vector<TextRun>& Runs() const { return runs_; }
  // The runs in Courier New, joined by "|": the paths, names and data shown.
  std::string CourierTexts() const;
  int leftIndent = 0, rightIndent = 0, firstLineIndent = 0;
  int clears = 0;

 private:
  void Merge();
  std::vector<TextRun> runs_;
  std::size_t caret_ = 0;  // in characters
};

}  // namespace cordalis
