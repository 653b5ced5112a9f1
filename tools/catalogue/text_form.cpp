#include "catalogue/text_form.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

#include "db/dm1.h"
#include "host/file_store.h"
#include "host/int_text.h"
#include "host/platform.h"
#include "host/text.h"

namespace cordalis::catalogue {
namespace {

constexpr std::size_t kMaxFileBytes = 16u << 20;

struct FieldName {
  std::string_view written;  // the name on the line
  const char* field;         // the table field it sets
  bool ofAction;
};
constexpr std::array<FieldName, 14> kFieldNames = {{
    {"Category", "Category", false},
    {"SubCat", "SubCat", false},
    {"Title", "Title", false},
    {"Description", "Description", false},
    {"Source", "Source", false},
    {"Alternatives", "Alternatives", false},
    {"Root", "Root", true},
    {"Key", "Key", true},
    {"Value", "Value", true},
    {"Change", "ChangeType", true},
    {"Type", "DataType", true},
    {"Special", "Special", true},
    {"Data", "Data", true},
    {"Platforms", "VerMask", true},
}};

constexpr std::array<std::string_view, 5> kChangeNames = {"add key", "change value", "delete key", "delete value",
                                                          "view value"};
constexpr std::array<std::string_view, 5> kTypeNames = {"none", "string", "expand", "binary", "dword"};


std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && EqualsIgnoreCase(text.substr(0, start.size()), start);
}

// A code given by name (letter case ignored) or as integer text.
template <std::size_t N>
std::optional<std::int32_t> CodeOf(std::string_view value, const std::array<std::string_view, N>& names) {
  for (std::size_t code = 0; code < N; ++code)
    if (EqualsIgnoreCase(value, names[code])) return static_cast<std::int32_t>(code);
  return ParseIntegerText(value);
}

template <std::size_t N>
std::string NameList(const std::array<std::string_view, N>& names) {
  std::string list;
  for (std::string_view name : names) list += std::string(name) + ", ";
  return list + "or a number";
}

// Names win over numbers, so "95" is Windows 95 and not the mask 95. badName
// gets the first word that is neither; the names that were known still count,
// so that one wrong word is not also reported as an action for no platform.
std::int32_t PlatformMaskOf(std::string_view value, std::string& badName) {
  std::int32_t mask = 0;
  std::size_t tokens = 0;
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] == ' ' || value[i] == ',' || value[i] == '\t') {
      ++i;
      continue;
    }
    std::size_t end = value.find_first_of(" ,\t", i);
    if (end == std::string_view::npos) end = value.size();
    std::string_view token = value.substr(i, end - i);
    ++tokens;
    auto named = std::find_if(std::begin(kPlatformNames), std::end(kPlatformNames),
                              [&](const PlatformName& p) { return EqualsIgnoreCase(p.name, token); });
    if (named != std::end(kPlatformNames)) {
      mask |= named->bit;
    } else if (badName.empty()) {
      badName = std::string(token);
    }
    i = end;
  }
  if (badName.empty()) return mask;
  std::optional<std::int32_t> number = ParseIntegerText(value);
  if (tokens == 1 && number && *number >= 0 && *number <= 0xFFFF) {
    badName.clear();
    return *number;
  }
  return mask;
}

class Parser {
 public:
  Parser(const std::string& file, Catalogue& catalogue, std::vector<Problem>& problems)
      : file_(file), catalogue_(catalogue), problems_(problems) {}

  void Line(int number, std::string_view text) {
    line_ = number;
    text = WithoutTrailingBlanks(text);
    if (!text.empty() && text[0] == '|') return DescriptionLine(text);
    EndDescription();
    if (text.empty() || text[0] == '#') return;
    if (EqualsIgnoreCase(text, "action")) return StartAction();
    if (StartsWithIgnoreCase(text, "tweak") && (text.size() == 5 || text[5] == ' '))
      return StartTweak(text.substr(5));
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return Fault("unknown line \"" + std::string(text) + "\"");
    FieldLine(text.substr(0, colon), text.substr(colon + 1), text);
  }

  void Finish() {
    EndDescription();
    FinishTweak();
  }

 private:
  void Fault(std::string message) { problems_.push_back({{file_, line_}, std::nullopt, 0, "", std::move(message)}); }

  void RecordFault(int line, std::string message) {
    problems_.push_back({{file_, line}, tweak_->twkId, static_cast<int>(tweak_->actions.size()) + 1, "",
                         std::move(message)});
  }

  void StartTweak(std::string_view number) {
    FinishTweak();
    tweak_.emplace();
    tweak_->origin = {file_, line_};
    std::optional<std::int32_t> id = ParseIntegerText(number);
    keepTweak_ = id.has_value();
    if (id) {
      tweak_->twkId = *id;
    } else {
      Fault("the tweak number \"" + std::string(number.empty() ? number : number.substr(1)) + "\" is not a number");
    }
  }

  void StartAction() {
    FinishAction();
    if (!tweak_) {
      Fault("an action before the first tweak");
      tweak_.emplace();  // holds the stray actions, so their lines are still checked
      tweak_->origin = {file_, line_};
      keepTweak_ = false;
    }
    action_.emplace();
    action_->origin = {file_, line_};
  }

  void FinishAction() {
    if (!action_) return;
    // An empty root or platform list shows up as a fault of the record; a
    // missing key or change type would silently mean the root or "add key".
    for (auto [field, written] : {std::pair{"Key", "Key:"}, std::pair{"ChangeType", "Change:"}})
      if (!action_->lines.contains(field)) RecordFault(action_->origin.line, std::string("no \"") + written + "\" line");
    tweak_->actions.push_back(std::move(*action_));
    action_.reset();
  }

  void FinishTweak() {
    FinishAction();
    if (tweak_ && keepTweak_) catalogue_.tweaks.push_back(std::move(*tweak_));
    tweak_.reset();
  }

  void FieldLine(std::string_view name, std::string_view rest, std::string_view text) {
    auto known = std::find_if(kFieldNames.begin(), kFieldNames.end(),
                              [&](const FieldName& f) { return EqualsIgnoreCase(f.written, name); });
    if (known == kFieldNames.end()) return Fault("unknown line \"" + std::string(text) + "\"");
    const std::string written = std::string(known->written) + ":";
    if (!rest.empty() && rest[0] != ' ') return Fault("\"" + written + "\" must be followed by a blank");
    std::string_view value = rest.empty() ? rest : rest.substr(1);
    if (!tweak_) return Fault("\"" + written + "\" before the first tweak");
    if (known->ofAction && !action_) return Fault("\"" + written + "\" before the tweak's first \"action\" line");
    if (!known->ofAction && action_) return Fault("\"" + written + "\" after the tweak's first \"action\" line");
    FieldLines& lines = action_ ? action_->lines : tweak_->lines;
    if (auto first = lines.find(known->field); first != lines.end())
      return Fault("\"" + written + "\" given twice (first on line " + std::to_string(first->second) + ")");
    lines[known->field] = line_;
    if (action_) {
      SetActionField(known->field, value);
    } else {
      SetTweakField(known->field, value);
    }
  }

  void SetTweakField(std::string_view field, std::string_view value) {
    if (field == "Category") tweak_->category = value;
    if (field == "SubCat") tweak_->subCat = value;
    if (field == "Title") tweak_->title = value;
    if (field == "Source") tweak_->source = value;
    if (field == "Alternatives") SetAlternatives(value);
    if (field == "Description") {
      if (!value.empty()) Fault("the description goes on the lines below \"Description:\", each starting with \"| \"");
      inDescription_ = true;
      paragraphs_.clear();
      paragraph_.clear();
    }
  }

  void SetAlternatives(std::string_view value) {
    for (std::size_t i = 0; i < value.size();) {
      std::size_t end = value.find_first_of(" ,", i);
      if (end == std::string_view::npos) end = value.size();
      if (end > i) {
        std::string_view word = value.substr(i, end - i);
        std::optional<std::int32_t> number = ParseIntegerText(word);
        if (!number || *number <= 0) return Fault("\"" + std::string(word) + "\" in Alternatives: is not a tweak number");
        tweak_->alternatives.push_back(*number);
      }
      i = end + 1;
    }
  }

  void SetActionField(std::string_view field, std::string_view value) {
    Action& a = *action_;
    if (field == "Root") a.root = value;
    if (field == "Key") a.key = value;
    if (field == "Value") a.value = value;
    if (field == "Special") a.special = value;
    if (field == "Data") a.data = value;
    if (field == "ChangeType") {
      std::optional<std::int32_t> code = CodeOf(value, kChangeNames);
      if (!code) return Fault("unknown change \"" + std::string(value) + "\": " + NameList(kChangeNames));
      a.changeType = *code;
    }
    if (field == "DataType") {
      std::optional<std::int32_t> code = CodeOf(value, kTypeNames);
      if (!code) return Fault("unknown type \"" + std::string(value) + "\": " + NameList(kTypeNames));
      a.dataType = *code;
    }
    if (field == "VerMask") {
      std::string badName;
      a.verMask = PlatformMaskOf(value, badName);
      if (!badName.empty())
        Fault("unknown platform \"" + badName +
              "\": 95, 98, ME, NT4, 2000, XP, IE4, IE5, IE6, WDU, or one number from 0 to 0xFFFF");
    }
  }

  void DescriptionLine(std::string_view text) {
    if (!inDescription_) return Fault("a description line outside a Description");
    if (text.size() == 1) {
      if (paragraph_.empty()) return Fault("an empty paragraph in the Description");
      paragraphs_.push_back(std::move(paragraph_));
      paragraph_.clear();
      breakLine_ = line_;
      return;
    }
    if (text[1] != ' ') return Fault("a description line starts with \"| \"");
    if (!paragraph_.empty()) paragraph_ += ' ';
    paragraph_ += text.substr(2);
  }

  void EndDescription() {
    if (!inDescription_) return;
    inDescription_ = false;
    if (!paragraph_.empty()) {
      paragraphs_.push_back(std::move(paragraph_));
      paragraph_.clear();
    } else if (!paragraphs_.empty()) {
      problems_.push_back({{file_, breakLine_}, std::nullopt, 0, "", "the Description ends with an empty paragraph"});
    }
    std::string description;
    for (const std::string& paragraph : paragraphs_) description += (description.empty() ? "" : "\r\n\r\n") + paragraph;
    tweak_->description = std::move(description);
  }

  const std::string& file_;
  Catalogue& catalogue_;
  std::vector<Problem>& problems_;
  int line_ = 0;
  std::optional<Tweak> tweak_;
  bool keepTweak_ = false;
  std::optional<Action> action_;
  bool inDescription_ = false;
  std::vector<std::string> paragraphs_;
  std::string paragraph_;
  int breakLine_ = 0;
};

}  // namespace

void ParseTextForm(const std::string& fileName, std::string_view text, Catalogue& catalogue,
                   std::vector<Problem>& problems) {
  catalogue.fromTextForm = true;
  Parser parser(fileName, catalogue, problems);
  int number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    parser.Line(++number, line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  parser.Finish();
}

Catalogue ReadTweaksFolder(FileStore& files, const std::string& folder, std::vector<Problem>& problems) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.size() > 4 && EqualsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".twk"))
      names.push_back(name);
  }
  if (error) throw FileError("cannot list the folder " + folder + ": " + error.message());
  std::sort(names.begin(), names.end());
  Catalogue catalogue;
  catalogue.fromTextForm = true;
  if (names.empty()) problems.push_back({{folder, 0}, std::nullopt, 0, "", "the folder holds no .twk files"});
  for (const std::string& name : names) {
    const std::string path = PathInFolder(folder, name);
    ParseTextForm(path, files.Read(path, kMaxFileBytes), catalogue, problems);
  }
  const std::string next = PathInFolder(folder, "NEXT");
  if (files.Exists(next)) {
    const std::string text(WithoutTrailingBlanks(files.Read(next, 64)));
    catalogue.nextOrigin = {next, 1};
    catalogue.nextNumber = ParseIntegerText(text);
    if (!catalogue.nextNumber)
      problems.push_back({{next, 1}, std::nullopt, 0, "", "\"" + text + "\" is not a tweak number"});
  }
  return catalogue;
}

}  // namespace cordalis::catalogue
