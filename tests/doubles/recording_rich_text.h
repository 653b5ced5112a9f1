#pragma once
// The rich-text port as a recording: the document written, as runs.
#include <string>
#include <vector>

#include "engine/rich_text_document.h"

namespace cordalis {

class RecordingRichText final : public RichTextPane {
 public:
  void Clear() override {
    document.Clear();
    ++clears;
  }
  void SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints) override {
    document.SetParagraphIndents(leftPoints, rightPoints, firstLinePoints);
  }
  void MoveToStart() override { document.MoveToStart(); }
  void MoveToEnd() override { document.MoveToEnd(); }
  void Insert(const std::string& text, Face face, unsigned style) override { document.Insert(text, face, style); }
  void Present() override { ++presents; }
  std::string Text() const override { return document.Text(); }
  void Select(int start, int length) override { document.Select(start, length); }
  void SelectAll() override { document.SelectAll(); }
  std::string SelectedText() const override { return document.SelectedText(); }
  void Copy() override { clipboard = document.SelectedText(); }
  // A line of 13 pixels per line of text: the fixed font of the tests.
  int RequestedHeight() override { return document.LineCount() * 13; }

  const std::vector<TextRun>& Runs() const { return document.Runs(); }
  // The runs in Courier New, joined by "|": the paths, names and data shown.
  std::string CourierTexts() const;

  RichTextDocument document;
  int clears = 0;
  int presents = 0;
  std::string clipboard;
};

}  // namespace cordalis
