#pragma once
// A message-box port that records each box and answers questions from a script.
#include <deque>
#include <string>
#include <vector>

#include "host/message_boxes.h"

namespace cordalis::testing {

struct ShownBox {
  MsgOwner owner;
  MsgIcon icon;
  std::string text;
};

class RecordingMessageBoxes final : public MessageBoxes {
 public:
  MsgAnswer Show(MsgOwner owner, MsgIcon icon, const std::string& text) override {
    shown.push_back({owner, icon, text});
    if (icon != MsgIcon::Question) return MsgAnswer::Ok;
    if (answers.empty()) throw std::logic_error("unexpected question: " + text);
    MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<ShownBox> shown;
  std::deque<MsgAnswer> answers;  // for questions, in order
};

// Answers every box with OK and keeps nothing: for helper programs that run
// the data module in a process of their own.
class SilentMessageBoxes final : public MessageBoxes {
 public:
  MsgAnswer Show(MsgOwner, MsgIcon, const std::string&) override { return MsgAnswer::Ok; }
};

}  // namespace cordalis::testing
