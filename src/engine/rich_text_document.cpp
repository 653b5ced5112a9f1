#include "engine/rich_text_document.h"

#include <algorithm>

namespace cordalis {

void RichTextDocument::Clear() {
  runs_.clear();
  size_ = caret_ = selStart_ = selLength_ = 0;
}

void RichTextDocument::SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints) {
  indents_ = {leftPoints, rightPoints, firstLinePoints};
}

void RichTextDocument::Insert(const std::string& text, Face face, unsigned style) {
  if (text.empty()) return;
  // The run holding the insertion point is split there.
  std::size_t offset = 0, i = 0;
  for (; i < runs_.size() && offset + runs_[i].text.size() <= caret_; ++i) offset += runs_[i].text.size();
  if (i < runs_.size() && caret_ > offset) {
    TextRun tail = runs_[i];
    tail.text = runs_[i].text.substr(caret_ - offset);
    runs_[i].text.resize(caret_ - offset);
    runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
    ++i;
  }
  const auto same = [&](const TextRun& run) { return run.face == face && run.style == style; };
  if (i > 0 && same(runs_[i - 1])) {
    runs_[i - 1].text += text;
    if (i < runs_.size() && same(runs_[i])) {
      runs_[i - 1].text += runs_[i].text;
      runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  } else if (i < runs_.size() && same(runs_[i])) {
    runs_[i].text.insert(0, text);
  } else {
    runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i), TextRun{text, face, style});
  }
  size_ += text.size();
  caret_ += text.size();
  selStart_ = caret_;
  selLength_ = 0;
}

void RichTextDocument::Select(int start, int length) {
  selStart_ = std::min<std::size_t>(static_cast<std::size_t>(std::max(start, 0)), size_);
  selLength_ = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), size_ - selStart_);
}

std::string RichTextDocument::Text() const {
  std::string text;
  text.reserve(size_);
  for (const TextRun& run : runs_) text += run.text;
  return text;
}

std::string RichTextDocument::SelectedText() const { return Text().substr(selStart_, selLength_); }

int RichTextDocument::LineCount() const {
  int lines = 1;
  for (const TextRun& run : runs_)
    for (std::size_t at = run.text.find("\r\n"); at != std::string::npos; at = run.text.find("\r\n", at + 2)) ++lines;
  return lines;
}

}  // namespace cordalis
