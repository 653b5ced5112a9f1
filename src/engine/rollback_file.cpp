#include "engine/rollback_file.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "db/dm1.h"
#include "db/record_codes.h"
#include "engine/undo_commands.h"
#include "engine/undo_recorder.h"
#include "engine/undo_replay_order.h"
#include "host/int_text.h"
#include "host/registry.h"
#include "host/roots.h"
#include "host/text.h"

namespace cordalis {
namespace {

constexpr const char* kLineEnd = "\r\n";

struct RegValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
};

// One step of the file: a key or value to put back, or one to remove.
enum class StepKind { RestoreKey, RestoreValue, DeleteKey, DeleteValue };
struct Step {
  StepKind kind;
  std::string key;    // from the root's full name
  std::string value;  // the value's name
  RegValue data;      // RestoreValue
  bool IsDeletion() const { return kind == StepKind::DeleteKey || kind == StepKind::DeleteValue; }
};

std::vector<std::uint8_t> TextBytes(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<std::uint8_t> HexBytes(const std::string& hex) {
  std::vector<std::uint8_t> bytes(HexTextByteCount(hex), 0);
  TSuperReg2::StringToByteArray(hex, bytes.data(), bytes.size());
  return bytes;
}

std::vector<std::uint8_t> IntegerBytes(std::int32_t value, bool bigEndian) {
  const auto u = static_cast<std::uint32_t>(value);
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                  static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
  if (bigEndian) std::swap(bytes[0], bytes[3]), std::swap(bytes[1], bytes[2]);
  return bytes;
}

// The value a "Change value" undo action puts back, as Undo writes it.
// Throws std::runtime_error for hex text that holds more bytes than its
// length allows, which Undo refuses too.
RegValue RestoredValue(const UndoRecord& action) {
  const auto type = static_cast<std::uint32_t>(action.dataType);
  if (action.special == kExactBytesMark) return {type, HexBytes(action.data)};
  switch (action.dataType) {
    case dtBinary: return {kRegBinary, HexBytes(action.data)};
    case dtDword: return {kRegDword, IntegerBytes(IntegerText(action.data, 0), false)};
    case dtString: return {kRegSz, TextBytes(action.data)};
    case dtExpand: return {kRegExpandSz, TextBytes(action.data)};
    // Undo actions recorded as text by earlier versions: Undo writes them into
    // the value's present type; the file can only name the recorded one.
    case static_cast<int>(kRegDwordBigEndian): return {type, IntegerBytes(IntegerText(action.data, 0), true)};
    default: return {type, TextBytes(action.data)};
  }
}

std::string FullKey(const UndoRecord& action) {
  const std::string root = RootListText(RootBitOfCode(action.root));
  return action.key.empty() ? root : root + "\\" + action.key;
}

std::string ValueText(const Step& step) {
  return "value " + (step.value.empty() ? std::string("(Default)") : "\"" + step.value + "\"") + " in " + step.key;
}

// Whether path is the key ancestor or lies below it; names ignore letter case.
bool AtOrBelow(const std::string& path, const std::string& ancestor) {
  const std::string p = ToLowerAscii(path), a = ToLowerAscii(ancestor);
  return p.compare(0, a.size(), a) == 0 && (p.size() == a.size() || p[a.size()] == '\\');
}

bool SameValue(const Step& a, const Step& b) {
  return EqualsIgnoreCase(a.key, b.key) && EqualsIgnoreCase(a.value, b.value);
}

// A restoration that a deletion before it must not come after: it puts back
// what the deletion removes.
bool MustFollow(const Step& deletion, const Step& restoration) {
  if (deletion.kind == StepKind::DeleteKey) return AtOrBelow(restoration.key, deletion.key);
  return restoration.kind == StepKind::RestoreValue && SameValue(deletion, restoration);
}

// Every step in the order Undo would make it: the tweaks as given, each
// tweak's actions in replay order. What cannot be written is said in unwritten.
std::vector<Step> StepsOf(const std::vector<RollbackTweak>& tweaks, std::vector<std::string>& unwritten) {
  std::vector<Step> steps;
  for (const RollbackTweak& tweak : tweaks) {
    for (const UndoRecord& action : tweak.actions) {
      if (!IsValidRootCode(action.root)) continue;  // Undo passes over these too
      const std::string key = FullKey(action);
      switch (action.changeType) {
        case ctAddKey: steps.push_back({StepKind::RestoreKey, key, "", {}}); break;
        case ctChangeValue:
          try {
            steps.push_back({StepKind::RestoreValue, key, action.value, RestoredValue(action)});
          } catch (const std::runtime_error&) {
            unwritten.push_back(ValueText({StepKind::RestoreValue, key, action.value, {}}) +
                                ": its recorded hex data holds more bytes than its length allows");
          }
          break;
        case ctDeleteKey: steps.push_back({StepKind::DeleteKey, key, "", {}}); break;
        case ctDeleteValue: steps.push_back({StepKind::DeleteValue, key, action.value, {}}); break;
        default: break;
      }
    }
  }
  return steps;
}

// A Registry editor that stops at a deletion it does not know would lose
// what follows; the deletions go last wherever no restoration needs one of
// them first, which leaves the result the same.
std::vector<Step> ImportOrder(std::vector<Step> steps) {
  for (std::size_t d = 0; d < steps.size(); ++d) {
    if (!steps[d].IsDeletion()) continue;
    for (std::size_t r = d + 1; r < steps.size(); ++r)
      if (!steps[r].IsDeletion() && MustFollow(steps[d], steps[r])) return steps;
  }
  std::vector<Step> ordered;
  for (bool deletions : {false, true})
    for (const Step& step : steps)
      if (step.IsDeletion() == deletions) ordered.push_back(step);
  return ordered;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string ValueName(const std::string& name) { return name.empty() ? "@" : "\"" + Escaped(name) + "\""; }

// A string the editors read back exactly from quotes: no control characters,
// which a quoted string cannot hold.
bool QuotableString(const RegValue& v) {
  if (v.type != kRegSz || v.bytes.empty() || v.bytes.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < v.bytes.size(); ++i)
    if (v.bytes[i] < 0x20) return false;
  return true;
}

// "hex:" or "hex(n):" and the bytes, wrapped as the Registry editor wraps them.
std::string HexData(const std::string& start, const RegValue& v) {
  char type[16];
  std::snprintf(type, sizeof type, "(%x)", static_cast<unsigned>(v.type));
  std::string line = start + "hex" + (v.type == kRegBinary ? "" : type) + ":";
  std::string text;
  for (std::size_t i = 0; i < v.bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned>(v.bytes[i]));
    line += byte;
    if (i + 1 == v.bytes.size()) break;
    line += ',';
    if (line.size() > 76) {
      text += line + "\\" + kLineEnd;
      line = "  ";
    }
  }
  return text + line;
}

std::string ValueLine(const Step& step) {
  const std::string start = ValueName(step.value) + "=";
  const RegValue& v = step.data;
  if (QuotableString(v)) return start + "\"" + Escaped(std::string(v.bytes.begin(), v.bytes.end() - 1)) + "\"";
  if (v.type == kRegDword && v.bytes.size() == 4) {
    char dword[16];
    std::snprintf(dword, sizeof dword, "dword:%08x",
                  static_cast<unsigned>(v.bytes[0] | v.bytes[1] << 8 | v.bytes[2] << 16 | v.bytes[3] << 24));
    return start + dword;
  }
  return HexData(start, v);
}

// One comment line; a line break in a title or a name would end it early.
std::string Comment(const std::string& text) {
  std::string line = text.empty() ? ";" : "; ";
  for (char c : text) line += c == '\r' || c == '\n' ? ' ' : c;
  return line + kLineEnd;
}

std::string Opening(const std::vector<RollbackTweak>& tweaks, const std::string& writtenOn,
                    const std::vector<std::string>& deletions, const std::vector<std::string>& unwritten) {
  std::string text = Comment("Cordalis rollback file" + (writtenOn.empty() ? "" : ", written " + writtenOn) + ".");
  if (tweaks.empty()) return text + Comment("No tweak has undo data: importing this file changes nothing.");
  text += Comment("Imported with the Registry editor (regedit /s FILE, or a double click), it puts back");
  text += Comment("what the undo data of these tweaks records, the tweak applied last first:");
  for (const RollbackTweak& tweak : tweaks) text += Comment("  " + TweakNumberText(tweak.twkId) + " " + tweak.title);
  text += Comment("It puts back everything recorded, over any value changed since the tweak was");
  text += Comment("applied: unlike Undo, it does not ask.");
  text += Comment("Its text is in the ANSI code page of the machine that wrote it: import it on");
  text += Comment("machines with the same code page.");
  text += Comment("");
  if (deletions.empty()) {
    text += Comment("It deletes nothing, so the Registry editor of every Windows imports all of it.");
  } else {
    text += Comment("It deletes these keys and values. The Registry editors of Windows 98, ME, NT 4.0,");
    text += Comment("2000 and XP delete them when they import it; the one of Windows 95 cannot delete");
    text += Comment("by import and leaves them: delete them by hand there.");
    for (const std::string& d : deletions) text += Comment("  " + d);
    text += Comment("Deleting a value makes its key again if the key is missing; Undo does not.");
  }
  if (!unwritten.empty()) {
    text += Comment("");
    text += Comment("Not in this file, as it cannot be written back:");
    for (const std::string& u : unwritten) text += Comment("  " + u);
  }
  return text;
}

}  // namespace

std::string RollbackFileText(const std::vector<RollbackTweak>& tweaks, const std::string& writtenOn) {
  std::vector<std::string> unwritten, deletions;
  const std::vector<Step> steps = ImportOrder(StepsOf(tweaks, unwritten));
  std::string body;
  std::vector<std::string> deleted;  // keys an earlier step removed and none put back
  std::string section;
  auto enter = [&](const std::string& header) {
    if (section == header) return;
    body += kLineEnd + header + kLineEnd;
    section = header;
  };
  auto putBack = [&](const std::string& key) {  // a section makes its key and every missing key above it
    std::erase_if(deleted, [&](const std::string& d) { return AtOrBelow(key, d); });
  };
  // A key deleted later in the file takes every value below it along.
  auto deletedLater = [&](std::size_t at) {
    return std::any_of(steps.begin() + static_cast<std::ptrdiff_t>(at) + 1, steps.end(), [&](const Step& later) {
      return later.kind == StepKind::DeleteKey && AtOrBelow(steps[at].key, later.key);
    });
  };
  for (std::size_t at = 0; at < steps.size(); ++at) {
    const Step& step = steps[at];
    switch (step.kind) {
      case StepKind::RestoreKey:
        enter("[" + step.key + "]");
        putBack(step.key);
        break;
      case StepKind::RestoreValue:
        enter("[" + step.key + "]");
        putBack(step.key);
        body += ValueLine(step) + kLineEnd;
        break;
      case StepKind::DeleteKey:
        enter("[-" + step.key + "]");
        deleted.push_back(step.key);
        deletions.push_back("key " + step.key);
        break;
      case StepKind::DeleteValue: {
        // Gone with its key already; a section for it would make the key again.
        const bool gone = std::any_of(deleted.begin(), deleted.end(),
                                      [&](const std::string& d) { return AtOrBelow(step.key, d); });
        if (gone || deletedLater(at)) break;
        enter("[" + step.key + "]");
        body += ValueName(step.value) + "=-" + kLineEnd;
        deletions.push_back(ValueText(step));
        break;
      }
    }
  }
  return std::string("REGEDIT4") + kLineEnd + kLineEnd + Opening(tweaks, writtenOn, deletions, unwritten) + body +
         kLineEnd;
}

namespace {

// A tweak's undo actions in the order Undo replays them, which is the order
// in which the rollback file must restore them to end where Undo would.
std::vector<UndoRecord> InReplayOrder(const std::vector<UndoRecord>& recorded) {
  std::vector<UndoRecord> ordered;
  ordered.reserve(recorded.size());
  for (std::size_t i : UndoReplayOrder(recorded)) ordered.push_back(recorded[i]);
  return ordered;
}

}  // namespace

std::vector<RollbackTweak> RollbackTweaksOf(const Tdm1& dm) {
  std::vector<std::int32_t> ids = TweaksWithUndoData(dm.cdsUndo);
  std::reverse(ids.begin(), ids.end());
  std::vector<RollbackTweak> tweaks;
  for (std::int32_t id : ids) {
    const std::optional<TweakRecord> tweak = TweakWithKey(dm.cdsTwks, id);
    tweaks.push_back({id, tweak ? tweak->title : "(not in the catalogue)",
                      InReplayOrder(ActionsWithKey(dm.cdsUndo, id))});
  }
  return tweaks;
}

}  // namespace cordalis
