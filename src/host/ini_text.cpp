#include "host/ini_text.h"

#include <cstddef>
#include <vector>

#include "host/text.h"

namespace cordalis {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsIniBlank(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == ' ';
}

// The text without the blanks the profile functions ignore at either end.
std::string_view TrimIniBlanks(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsIniBlank(text[begin])) ++begin;
  while (end > begin && IsIniBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// One line of the text: its content [begin, end) and its line end [end, next).
struct Line {
  std::size_t begin;
  std::size_t end;
  std::size_t next;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) end = text.size();
    std::size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    lines.push_back({begin, end, next});
    begin = next;
  }
  return lines;
}

// The name of the section a line starts, if it starts one.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  std::size_t close = line.rfind(']');
  if (close == 0 || close == std::string_view::npos) return std::nullopt;
  return TrimIniBlanks(line.substr(1, close - 1));
}

struct Entry {
  std::string_view name;
  std::string_view value;
};

// A line that is not a section header names a key: the text before its first
// "=", or the whole line, which then holds no value.
Entry KeyEntry(std::string_view line) {
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {line, {}};
  return {TrimIniBlanks(line.substr(0, equals)), TrimIniBlanks(line.substr(equals + 1))};
}

bool HasValue(std::string_view line) { return line.find('=') != std::string_view::npos; }

// Where a key is, or would go, in the text.
struct Place {
  std::size_t sectionLine = kNone;  // the section's header
  std::size_t keyLine = kNone;      // the key's line
  std::size_t lastLine = kNone;     // the section's last line that is not blank
};

Place Locate(std::string_view text, const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  section = TrimIniBlanks(section);
  key = TrimIniBlanks(key);
  Place place;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = TrimIniBlanks(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
    if (auto name = SectionName(line)) {
      if (place.sectionLine != kNone) break;
      if (EqualsIgnoreCase(*name, section)) place.sectionLine = place.lastLine = i;
      continue;
    }
    if (place.sectionLine == kNone || line.empty()) continue;
    place.lastLine = i;
    if (place.keyLine != kNone) continue;
    if (EqualsIgnoreCase(KeyEntry(line).name, key)) place.keyLine = i;
  }
  return place;
}

std::string_view LineText(std::string_view text, const Line& line) {
  return text.substr(line.begin, line.end - line.begin);
}

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

std::string IniDefault(std::string_view fallback) {
  std::size_t end = fallback.find_last_not_of(' ');
  return std::string(WithoutQuotes(fallback.substr(0, end == std::string_view::npos ? 0 : end + 1)));
}

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section, std::string_view key) {
  std::vector<Line> lines = SplitLines(text);
  Place place = Locate(text, lines, section, key);
  if (place.keyLine == kNone) return std::nullopt;
  std::string_view line = TrimIniBlanks(LineText(text, lines[place.keyLine]));
  if (!HasValue(line)) return std::nullopt;
  return std::string(WithoutQuotes(KeyEntry(line).value));
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  std::vector<Line> lines = SplitLines(text);
  Place place = Locate(text, lines, section, key);
  std::string result(text);
  if (place.keyLine != kNone) {
    // The key keeps the spelling it has in the file.
    const Line& line = lines[place.keyLine];
    std::string_view name = KeyEntry(TrimIniBlanks(LineText(text, line))).name;
    std::string rewritten = std::string(name) + "=" + std::string(value) + "\r\n";
    return result.replace(line.begin, line.next - line.begin, rewritten);
  }
  std::string added = std::string(TrimIniBlanks(key)) + "=" + std::string(value) + "\r\n";
  std::size_t at = text.size();
  if (place.sectionLine != kNone) {
    at = lines[place.lastLine].next;
  } else {
    added = "[" + std::string(TrimIniBlanks(section)) + "]\r\n" + added;
  }
  bool lineOpen = at > 0 && text[at - 1] != '\n' && text[at - 1] != '\r';
  if (lineOpen) added = "\r\n" + added;
  return result.insert(at, added);
}

}  // namespace cordalis
