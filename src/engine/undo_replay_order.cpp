#include "engine/undo_replay_order.h"

#include <set>
#include <string>

#include "db/record_codes.h"
#include "host/text.h"

namespace cordalis {
namespace {

bool IsChildOf(const std::string& key, const std::string& parent) {
  return key.size() > parent.size() + 1 && key.compare(0, parent.size(), parent) == 0 &&
         key[parent.size()] == '\\' && key.find('\\', parent.size() + 1) == std::string::npos;
}

// One past the last action of the copy of the deleted key that actions[first]
// begins. The copy lists each key's values once, right after the key, then its
// subkeys, each a child of a key already copied: whatever breaks that shape
// was recorded by a later action and is a step of its own.
std::size_t EndOfCopy(const std::vector<UndoRecord>& actions, std::size_t first) {
  const UndoRecord& top = actions[first];
  std::vector<std::string> chain{top.key};  // from the deleted key down to the key copied last
  std::set<std::string> valuesOfLast;       // in upper case, as the Registry tells names apart
  std::size_t end = first + 1;
  for (; end < actions.size(); ++end) {
    const UndoRecord& next = actions[end];
    if (next.root != top.root) break;
    if (next.changeType == ctChangeValue) {
      std::string name = next.value;
      for (char& c : name) c = ToUpperAscii(c);
      if (next.key != chain.back() || !valuesOfLast.insert(name).second) break;
    } else if (next.changeType == ctAddKey) {
      std::size_t depth = chain.size();
      while (depth > 0 && !IsChildOf(next.key, chain[depth - 1])) --depth;
      if (depth == 0) break;
      chain.resize(depth);
      chain.push_back(next.key);
      valuesOfLast.clear();
    } else {
      break;
    }
  }
  return end;
}

}  // namespace

std::vector<std::size_t> UndoReplayOrder(const std::vector<UndoRecord>& actions) {
  std::vector<std::pair<std::size_t, std::size_t>> steps;  // [first, end) of each step, in recorded order
  for (std::size_t first = 0; first < actions.size();) {
    const std::size_t end = actions[first].changeType == ctAddKey ? EndOfCopy(actions, first) : first + 1;
    steps.emplace_back(first, end);
    first = end;
  }
  std::vector<std::size_t> order;
  order.reserve(actions.size());
  for (auto step = steps.rbegin(); step != steps.rend(); ++step)
    for (std::size_t i = step->first; i < step->second; ++i) order.push_back(i);
  return order;
}

}  // namespace cordalis
