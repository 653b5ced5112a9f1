#pragma once
// A set file: the tweaks to apply on a machine and the data for their
// controls, in plain text a person can write. One tweak a line: its number,
// then control=data pairs; "#" starts a comment, so the tweak's title can
// follow for people. A name or data holding blanks, "=", "#" or a quote is
// written in quotes, a quote inside them doubled.
//
//   # Cordalis set
//   12                                  # Show file extensions
//   40  "Drive letter"=D  Delay=20      # CD-ROM drive letter
//   41  1="C:\Program Files\App\a.exe"  # Run at start-up
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cordalis {

// One control=data pair, as written: the control's caption or number.
struct SetControlData {
  std::string control;
  std::string data;
  friend bool operator==(const SetControlData&, const SetControlData&) = default;
};

struct SetLine {
  int lineNumber = 0;
  std::int32_t twkId = 0;
  std::vector<SetControlData> data;
  friend bool operator==(const SetLine&, const SetLine&) = default;
};

struct SetFileProblem {
  int lineNumber = 0;  // from 1
  std::string message;
  friend bool operator==(const SetFileProblem&, const SetFileProblem&) = default;
};

struct SetFile {
  std::vector<SetLine> lines;
  std::vector<SetFileProblem> problems;  // every bad line, in order
};

// Reads the text of a set file: CR LF or LF line ends, 8-bit ANSI text. A
// line that is not a tweak number and pairs, with quotes closed, is a
// problem, and so is a tweak named on two lines.
SetFile ReadSetFile(std::string_view text);

// A name or data as a set file writes it: as it is, or quoted when it must be.
std::string SetFileToken(std::string_view text);
// One line of a set file, the title after "#" (line breaks in it made blanks).
std::string SetFileLine(std::int32_t twkId, const std::vector<SetControlData>& data, std::string_view title);

// The largest set file read: far more than every tweak with long data.
inline constexpr std::size_t kMaxSetFileBytes = 4u << 20;

}  // namespace cordalis
