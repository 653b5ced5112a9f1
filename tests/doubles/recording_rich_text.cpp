#include "doubles/recording_rich_text.h"

namespace cordalis {

void RecordingRichText::Clear() {
  runs_.clear();
  caret_ = 0;
  ++clears;
}

void RecordingRichText::SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints) {
  leftIndent = leftPoints;
  rightIndent = rightPoints;
  firstLineIndent = firstLinePoints;
}

void RecordingRichText::Insert(const std::string& text, Face face, unsigned style) {
  if (text.empty()) return;
  // Find the run holding the caret and split it there.
  std::size_t offset = 0, i = 0;
  for (; i < runs_.size() && offset + runs_[i].text.size() <= caret_; ++i) offset += runs_[i].text.size();
  if (i < runs_.size() && caret_ > offset) {
    TextRun tail = runs_[i];
    tail.text = runs_[i].text.substr(caret_ - offset);
    runs_[i].text.resize(caret_ - offset);
    runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, tail);
    ++i;
  }
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i), TextRun{text, face, style});
  caret_ += text.size();
  Merge();
}

void RecordingRichText::Merge() {
  std::vector<TextRun> merged;
  for (TextRun& run : runs_) {
    if (!merged.empty() && merged.back().face == run.face && merged.back().style == run.style)
      merged.back().text += run.text;
    else
      merged.push_back(std::move(run));
  }
  runs_ = std::move(merged);
}

std::string RecordingRichText::Text() const {
  std::string text;
  for (const TextRun& run : runs_) text += run.text;
  return text;
}

std::string RecordingRichText::CourierTexts() const {
  std::string out;
  for (const TextRun& run : runs_)
    if (run.face == Face::Courier) out += (out.empty() ? "" : "|") + run.text;
  return out;
}

}  // namespace cordalis
