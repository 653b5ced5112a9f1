#include "catalogue/catalogue_check.h"

#include <map>

#include "catalogue/catalogue_overlaps.h"
#include "controls/control_groups.h"
#include "db/action_data.h"
#include "db/dm1.h"
#include "db/record_codes.h"
#include "host/int_text.h"
#include "host/text.h"

namespace cordalis::catalogue {
namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string OriginText(const Origin& origin) {
  return origin.line > 0 ? origin.file + ":" + std::to_string(origin.line) : origin.file;
}

std::size_t WidthOf(const FieldDefs& fields, std::string_view name) {
  for (const FieldDef& f : fields)
    if (f.name == name) return static_cast<std::size_t>(f.width);
  return 0;
}

class Checker {
 public:
  Checker(const Catalogue& catalogue, std::vector<Problem>& problems) : catalogue_(catalogue), problems_(problems) {}

  void Run() {
    for (const Tweak& tweak : catalogue_.tweaks) {
      CheckTweak(tweak);
      for (std::size_t i = 0; i < tweak.actions.size(); ++i)
        CheckAction(tweak, static_cast<int>(i) + 1, tweak.actions[i]);
      CheckOverlaps(tweak);
    }
    // Only the text form says where the facts come from and which tweaks a
    // user chooses between.
    if (!catalogue_.fromTextForm) return;
    CheckSharedWrites();
    for (const Tweak& tweak : catalogue_.tweaks) CheckAlternatives(tweak);
  }

 private:
  void TweakFault(const Tweak& t, const std::string& field, std::string message) {
    problems_.push_back({FieldOrigin(t.origin, t.lines, field), t.twkId, 0, field, std::move(message)});
  }
  void ActionFault(int position, const std::string& field, std::string message) {
    problems_.push_back({FieldOrigin(action_->origin, action_->lines, field), tweak_->twkId, position, field,
                         std::move(message)});
  }

  void Width(const Tweak& t, const std::string& field, std::string_view text) {
    std::size_t width = WidthOf(Tdm1::TweakFields(), field);
    if (text.size() > width) TweakFault(t, field, LongerThan(width, text.size()));
  }
  void Width(int position, const std::string& field, std::string_view text) {
    std::size_t width = WidthOf(Tdm1::ActionFields(), field);
    if (text.size() > width) ActionFault(position, field, LongerThan(width, text.size()));
  }
  static std::string LongerThan(std::size_t width, std::size_t length) {
    return "longer than " + std::to_string(width) + " characters (" + std::to_string(length) + ")";
  }

  void CheckTweak(const Tweak& t) {
    if (t.twkId <= 0) TweakFault(t, "TwkID", "the tweak number must be positive");
    auto [first, isNew] = firstOrigin_.emplace(t.twkId, t.origin);
    if (!isNew) TweakFault(t, "TwkID", "the number is already used by the tweak at " + OriginText(first->second));
    if (catalogue_.nextNumber && t.twkId >= *catalogue_.nextNumber)
      TweakFault(t, "TwkID",
                 "not below the next free number " + std::to_string(*catalogue_.nextNumber) + " (" +
                     OriginText(catalogue_.nextOrigin) + ")");
    if (t.hide) TweakFault(t, "Hide", "TRUE, but no tweak ships hidden");
    if (t.category.empty()) TweakFault(t, "Category", "empty");
    if (t.title.empty()) TweakFault(t, "Title", "empty");
    Width(t, "Category", t.category);
    Width(t, "SubCat", t.subCat);
    Width(t, "Title", t.title);
    Width(t, "Description", t.description);
    if (t.actions.empty()) TweakFault(t, "", "no actions");
    if (catalogue_.fromTextForm && t.source.empty())
      TweakFault(t, "Source",
                 "none given: say where the facts come from (a KB article, a Registry reference entry, a policy "
                 "template and policy name, an MSDN page)");
  }

  void CheckAction(const Tweak& t, int p, const Action& a) {
    tweak_ = &t;
    action_ = &a;
    Width(p, "Root", a.root);
    Width(p, "Key", a.key);
    Width(p, "Value", a.value);
    Width(p, "Special", a.special);
    Width(p, "Data", a.data);
    if (!IsValidRootCode(a.root)) ActionFault(p, "Root", Quoted(a.root) + " is not one of HKCR, HKCU, HKLM, HKU, HKCC");
    const int kind = KeywordCode(a.special);
    const bool hasMarker = a.key.find(kVariableMarker) != std::string::npos;
    if (kind == ckReadKeyVar && !hasMarker) ActionFault(p, "Key", "no variable marker \\\\\\ for readkeyvar");
    if (kind != ckReadKeyVar && hasMarker)
      ActionFault(p, "Key", "holds the variable marker \\\\\\ but Special is not readkeyvar");
    if (a.dataType < 0 || a.dataType > 4) ActionFault(p, "DataType", std::to_string(a.dataType) + " is outside 0..4");
    if (a.changeType < 0 || a.changeType > 4)
      ActionFault(p, "ChangeType", std::to_string(a.changeType) + " is outside 0..4");
    if (CheckSpecial(p, a)) CheckControlData(p, a, kind);
    if (a.changeType == ctChangeValue) CheckStoredData(p, a, kind);
    if (a.verMask == 0) ActionFault(p, "VerMask", "0: the action applies to no platform");
  }

  // True when every piece of Special is a keyword.
  bool CheckSpecial(int p, const Action& a) {
    bool allKeywords = true;
    for (const std::string& piece : SplitPieces(a.special)) {
      if (KeywordCode(piece) != ckNone) continue;
      ActionFault(p, "Special", Quoted(piece) + " is not a keyword");
      allKeywords = false;
    }
    return allKeywords;
  }

  void CheckControlData(int p, const Action& a, int kind) {
    const std::vector<std::string> keywords = SplitPieces(a.special);
    const std::size_t have = SplitPieces(a.data).size();
    std::size_t need = 0;
    for (const std::string& keyword : keywords) need += static_cast<std::size_t>(PiecesTaken(KeywordCode(keyword)));
    // DO IT reads more than the pane from a lone toggle or readkeyvar.
    if (kind == ckToggle && have < 3)
      ActionFault(p, "Data", "a toggle needs three pieces: caption|data when ticked|data when not ticked");
    else if (kind == ckReadKeyVar && have < 2)
      ActionFault(p, "Data", "readkeyvar needs two pieces: variable source|data");
    else if (have < need)
      ActionFault(p, "Data",
                  (keywords.size() == 1 ? Quoted(keywords[0]) + " takes " : std::string("the keywords take ")) +
                      std::to_string(need) + " pieces, Data has " + std::to_string(have));
    for (const ControlGroup& group : ReadControlGroups(a.special, a.data)) {
      if (group.kind == ckNum) CheckNumbers(p, group.num);
      if (group.kind == ckReadKeyVar) {
        std::string fault = VariableSourceFault(group.variableSource);
        if (!fault.empty()) ActionFault(p, "Data", "variable source " + Quoted(group.variableSource) + " " + fault);
      }
    }
  }

  // A number piece that is left empty takes its default and is fine.
  std::optional<std::int32_t> NumberPiece(int p, const char* name, const std::string& piece, bool sixteenBits) {
    if (piece.empty()) return std::nullopt;
    std::optional<std::int32_t> n = ParseIntegerText(piece);
    if (!n) {
      ActionFault(p, "Data", std::string("num ") + name + " " + Quoted(piece) + " is not a number");
    } else if (sixteenBits && (*n < -32768 || *n > 32767)) {
      ActionFault(p, "Data", std::string("num ") + name + " " + std::to_string(*n) + " is outside -32768..32767");
      n.reset();
    }
    return n;
  }

  void CheckNumbers(int p, const NumPieces& num) {
    const std::int32_t minimum = NumberPiece(p, "minimum", num.minimum, true).value_or(0);
    const std::int32_t maximum = NumberPiece(p, "maximum", num.maximum, true).value_or(32767);
    std::optional<std::int32_t> increment = NumberPiece(p, "increment", num.increment, false);
    std::optional<std::int32_t> start = NumberPiece(p, "default", num.defaultValue, false);
    if (increment && *increment <= 0) ActionFault(p, "Data", "num increment " + std::to_string(*increment) + " is not above 0");
    if (minimum > maximum)
      ActionFault(p, "Data",
                  "num minimum " + std::to_string(minimum) + " is above the maximum " + std::to_string(maximum));
    else if (start && (*start < minimum || *start > maximum))
      ActionFault(p, "Data",
                  "num default " + std::to_string(*start) + " is outside " + std::to_string(minimum) + ".." +
                      std::to_string(maximum));
  }

  // The data DO IT writes as it stands, typed by DataType; what the user
  // enters in a control is not the catalogue's to check.
  void CheckStoredData(int p, const Action& a, int kind) {
    std::vector<std::pair<std::string, std::string>> stored;  // (what, data)
    if (kind == ckNone || kind == ckView || kind == ckExpand) {
      stored.emplace_back("", a.data);
    } else if (kind == ckToggle && SplitPieces(a.data).size() >= 3) {
      const TogglePieces pieces = SplitToggle(a.data);
      stored.emplace_back("data when ticked ", pieces.whenTicked);
      stored.emplace_back("data when not ticked ", pieces.whenNotTicked);
    } else if (kind == ckReadKeyVar && a.data.find('|') != std::string::npos) {
      stored.emplace_back("", SplitVariableData(a.data).data);
    }
    for (const auto& [what, data] : stored) {
      if (a.dataType == dtDword && !ParseIntegerText(data))
        ActionFault(p, "Data", what + Quoted(data) + " is not a number for a DWORD");
      if (a.dataType == dtBinary && !IsHexText(data))
        ActionFault(p, "Data", what + Quoted(data) + " is not hex text (upper-case byte pairs separated by one blank)");
    }
  }

  // Two actions that change the same place, or that delete a key and change
  // something inside it, make the Detail pane promise two things of which
  // only the last holds, and undo data that older copies of the program
  // (which replayed first recorded first) would take back wrongly. Such a
  // pair may only share a tweak when no system runs both. A policy is the user's or the machine's: one tweak
  // that sets it in both places on one system says neither clearly.
  void CheckOverlaps(const Tweak& t) {
    tweak_ = &t;
    for (std::size_t i = 0; i < t.actions.size(); ++i)
      for (std::size_t j = i + 1; j < t.actions.size(); ++j) {
        const Action& a = t.actions[i];
        const Action& b = t.actions[j];
        if (!SomeSystemRunsBoth(static_cast<std::uint16_t>(a.verMask), static_cast<std::uint16_t>(b.verMask)))
          continue;
        action_ = &b;
        const int position = static_cast<int>(j) + 1;
        if (ChangeSamePlace(a, b)) {
          ActionFault(position, "Key",
                      "changes what action " + std::to_string(i + 1) + " changes (" + PlaceText(a) +
                          ") on a system that runs both, so Undo would restore it wrongly");
        } else if (UnderBothPolicyRoots(a, b)) {
          ActionFault(position, "Root",
                      "sets the policy " + PlaceText(b) + " that action " + std::to_string(i + 1) + " sets under " +
                          a.root +
                          ", on a system that runs both; a policy is the user's or the machine's: make two tweaks");
        }
      }
  }
  static bool UnderBothPolicyRoots(const Action& a, const Action& b) {
    if (!IsPolicyAction(a) || !IsPolicyAction(b)) return false;
    if (!((a.root == "HKCU" && b.root == "HKLM") || (a.root == "HKLM" && b.root == "HKCU"))) return false;
    Action moved = b;
    moved.root = a.root;
    return ChangeSamePlace(a, moved);
  }

  // Two tweaks that change one place on a system that runs both undo each
  // other's work, unless the user is meant to apply only one of them.
  void CheckSharedWrites() {
    for (const SharedWrite& shared : SharedWrites(catalogue_)) {
      const Tweak& first = catalogue_.tweaks[shared.firstTweak];
      const Tweak& second = catalogue_.tweaks[shared.secondTweak];
      if (NameEachOther(first, second)) continue;
      tweak_ = &second;
      action_ = &second.actions[shared.secondAction];
      ActionFault(static_cast<int>(shared.secondAction) + 1, "Key",
                  "changes what " + TweakNumberText(first.twkId) + " action " + std::to_string(shared.firstAction + 1) +
                      " changes (" + PlaceText(first.actions[shared.firstAction]) +
                      ") on a system that runs both; allowed only when the two tweaks name each other in "
                      "Alternatives:");
    }
  }

  void CheckAlternatives(const Tweak& t) {
    for (std::int32_t other : t.alternatives) {
      const std::string named = "names " + std::to_string(other);
      if (other == t.twkId) {
        TweakFault(t, "Alternatives", "names the tweak itself");
        continue;
      }
      const Tweak* alternative = FindTweak(other);
      if (alternative == nullptr)
        TweakFault(t, "Alternatives", named + ", which is not a tweak");
      else if (!SharePlace(t, *alternative))
        TweakFault(t, "Alternatives", named + ", but the two change no place in common on a system that runs both");
    }
  }
  const Tweak* FindTweak(std::int32_t id) const {
    for (const Tweak& t : catalogue_.tweaks)
      if (t.twkId == id) return &t;
    return nullptr;
  }
  static bool SharePlace(const Tweak& a, const Tweak& b) {
    for (const Action& x : a.actions)
      for (const Action& y : b.actions)
        if (ChangeSamePlace(x, y) &&
            SomeSystemRunsBoth(static_cast<std::uint16_t>(x.verMask), static_cast<std::uint16_t>(y.verMask)))
          return true;
    return false;
  }

  const Catalogue& catalogue_;
  std::vector<Problem>& problems_;
  std::map<std::int32_t, Origin> firstOrigin_;
  const Tweak* tweak_ = nullptr;
  const Action* action_ = nullptr;
};

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

std::vector<Problem> CheckCatalogue(const Catalogue& catalogue) {
  std::vector<Problem> problems;
  Checker(catalogue, problems).Run();
  return problems;
}

bool IsHexText(std::string_view text) {
  if (text.empty()) return true;
  if (text.size() % 3 != 2) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i % 3 == 2 ? text[i] != ' ' : !IsUpperHexDigit(text[i])) return false;
  return true;
}

// The program reads any source its way (ParseVariableSource); the catalogue
// holds its own to the form it documents.
std::string VariableSourceFault(std::string_view source) {
  const std::optional<VariableSource> parsed = ParseVariableSource(source);
  const std::string root = parsed ? parsed->rootCode : std::string(source.substr(0, 4));
  if (root != "HKCR" && root != "HKCU" && root != "HKLM" && root != "HKCC")
    return "does not start with HKCR, HKCU, HKLM or HKCC";
  if (source.size() < 5 || source[4] != '\\') return "has no \\ after the root code";
  if (!parsed) return "has no \\\\ before the value name";
  if (parsed->key.empty()) return "has no key path";
  if (parsed->key[0] == '\\') return "has more than one \\ after the root code";
  return "";
}

}  // namespace cordalis::catalogue
