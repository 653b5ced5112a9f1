#include "app/set_file.h"

#include <map>
#include <optional>

#include "app/unattended_request.h"

namespace cordalis {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsUnquoted(char c) { return IsBlank(c) || c == '#' || c == '"'; }

// One line, read left to right; the first fault is the one told.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  // The tweak number and pairs; nothing for a blank or comment line.
  std::optional<SetLine> Read(std::string& problem) {
    SkipBlanks();
    if (AtEnd()) return std::nullopt;
    SetLine result;
    const std::size_t start = at_;
    while (!AtEnd() && !EndsUnquoted(line_[at_])) ++at_;
    const std::string number(line_.substr(start, at_ - start));
    const std::optional<std::vector<std::int32_t>> twkId = ReadTweakNumbers(number);
    if (!twkId || twkId->size() != 1) {
      problem = number.empty() ? "a line starts with the tweak's number" : "\"" + number + "\" is not a tweak number";
      return std::nullopt;
    }
    result.twkId = twkId->front();
    for (SkipBlanks(); !AtEnd(); SkipBlanks()) {
      SetControlData pair;
      if (!Part(pair.control, true, problem)) return std::nullopt;
      if (AtEnd() || line_[at_] != '=') {
        problem = pair.control.empty() ? "control=data is expected after the tweak's number"
                                       : "\"" + pair.control + "\" is not control=data";
        return std::nullopt;
      }
      ++at_;
      if (!Part(pair.data, false, problem)) return std::nullopt;
      if (pair.control.empty()) {
        problem = "a control=data pair has no control";
        return std::nullopt;
      }
      result.data.push_back(std::move(pair));
    }
    return result;
  }

 private:
  bool AtEnd() const { return at_ >= line_.size() || line_[at_] == '#'; }
  void SkipBlanks() {
    while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
  }

  // A control name (ends at "=") or data (ends at a blank), quoted or not.
  bool Part(std::string& out, bool isName, std::string& problem) {
    if (at_ < line_.size() && line_[at_] == '"') return Quoted(out, problem);
    while (at_ < line_.size() && !EndsUnquoted(line_[at_]) && !(isName && line_[at_] == '=')) out += line_[at_++];
    if (at_ < line_.size() && line_[at_] == '"') {
      problem = "a quote stands inside \"" + out + "\"; quote the whole name or data";
      return false;
    }
    return true;
  }

  bool Quoted(std::string& out, std::string& problem) {
    const std::size_t open = at_++;
    for (;;) {
      if (at_ >= line_.size()) {
        problem = "the quote opened at column " + std::to_string(open + 1) + " is not closed";
        return false;
      }
      if (line_[at_] != '"') {
        out += line_[at_++];
      } else if (at_ + 1 < line_.size() && line_[at_ + 1] == '"') {
        out += '"';
        at_ += 2;
      } else {
        ++at_;
        break;
      }
    }
    if (at_ < line_.size() && !IsBlank(line_[at_]) && line_[at_] != '=' && line_[at_] != '#') {
      problem = "text follows the quote closed at column " + std::to_string(at_);
      return false;
    }
    return true;
  }

  std::string_view line_;
  std::size_t at_ = 0;
};

// Notepad saves Unicode with a mark at the start; the set file is ANSI text.
std::string EncodingProblem(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") return "the file is saved as UTF-8; save it as ANSI text";
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF")
    return "the file is saved as Unicode; save it as ANSI text";
  return {};
}

}  // namespace

SetFile ReadSetFile(std::string_view text) {
  SetFile file;
  if (std::string problem = EncodingProblem(text); !problem.empty()) {
    file.problems.push_back({1, problem});
    return file;
  }
  std::map<std::int32_t, int> seen;  // tweak number, line
  int lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string problem;
    if (line.find('\0') != std::string_view::npos) {
      problem = "the line holds a zero byte; a set file is plain text";
    } else if (std::optional<SetLine> read = LineReader(line).Read(problem)) {
      read->lineNumber = lineNumber;
      auto [it, added] = seen.emplace(read->twkId, lineNumber);
      if (added) {
        file.lines.push_back(std::move(*read));
      } else {
        problem = "tweak " + std::to_string(read->twkId) + " is on line " + std::to_string(it->second) + " already";
      }
    }
    if (!problem.empty()) file.problems.push_back({lineNumber, problem});
  }
  return file;
}

std::string SetFileToken(std::string_view text) {
  bool plain = !text.empty();
  for (char c : text)
    if (IsBlank(c) || c == '=' || c == '#' || c == '"' || c == '\r' || c == '\n') plain = false;
  if (plain) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string SetFileLine(std::int32_t twkId, const std::vector<SetControlData>& data, std::string_view title) {
  std::string line = std::to_string(twkId);
  for (const SetControlData& pair : data) line += "  " + SetFileToken(pair.control) + "=" + SetFileToken(pair.data);
  if (!title.empty()) {
    line += "  # ";
    for (char c : title) line += c == '\r' || c == '\n' ? ' ' : c;
  }
  return line;
}

}  // namespace cordalis
