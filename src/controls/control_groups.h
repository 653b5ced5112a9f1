#pragma once
// The controls an action asks for: the keywords of its Special and the pieces
// of its Data they consume, read the way the controls pane reads them, and the
// rules that turn those pieces and the value's current data into the starting
// state of a control. Pure text processing: no windows, no Registry.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cordalis {

// The four numeric pieces of a "num" keyword, as written.
struct NumPieces {
  std::string minimum;
  std::string maximum;
  std::string increment;
  std::string defaultValue;

  friend bool operator==(const NumPieces&, const NumPieces&) = default;
};

// One keyword's control group. Only the members of its kind are filled.
struct ControlGroup {
  int kind = 0;           // the keyword's code, 1 to 12 (ControlKind)
  int controlNumber = 0;  // the suffix its controls are named and read back by
  std::string prompt;     // prompt label or path-label text; a toggle's caption
  std::string filterDescription;  // "file"
  std::string filterPattern;      // "file"
  NumPieces num;                  // "num"
  std::string dataWhenTicked;     // "toggle"
  std::string variableSource;     // "readkeyvar"

  friend bool operator==(const ControlGroup&, const ControlGroup&) = default;
};

// How many pieces of Data a keyword consumes, its first piece included (1 for
// most, 3 for "file", 5 for "num", 2 for "toggle"); 0 for code 0. A toggle's
// third piece, the data when not ticked, is DO IT's and is not counted here.
int PiecesTaken(int kind);

// Reads Special as a "|" list of keywords, each taking its pieces from the
// front of Data; missing pieces are empty and leftovers are ignored. A keyword
// that matches nothing ends the list silently. The groups are numbered from
// firstControlNumber up, one number per keyword, "readkeyvar" and "expand"
// included although they build nothing.
std::vector<ControlGroup> ReadControlGroups(std::string_view special, std::string_view data,
                                            int firstControlNumber = 0);

// The low 16 bits of a number, read as signed: the range of the number box.
std::int16_t Low16(std::int32_t value);

struct NumberBoxSetup {
  std::int16_t minimum = 0;
  std::int16_t maximum = 0;
  std::int32_t increment = 1;  // never 0
  std::int16_t position = 0;

  friend bool operator==(const NumberBoxSetup&, const NumberBoxSetup&) = default;
};

// Minimum, maximum, increment and initial position of a "num" box. Malformed
// or empty pieces take 0, 32767 and 1, and the default piece the computed
// default (the middle, rounded toward zero to a multiple of the increment),
// clamped to the minimum and then to the maximum. The current data, when it is
// integer text, is the position, reduced to 16 bits.
//
// The box can only show a position between its bounds, and what it shows is
// what DO IT writes: a position outside them is kept to the nearer bound here,
// before the box is filled, so that the box never corrects it behind the
// model's back.
//
// An increment of 0 would make the computed default divide by zero and leave
// the arrows stepping nowhere, so it is taken as 1 for both.
NumberBoxSetup SetUpNumberBox(const NumPieces& pieces, std::string_view currentData);

// A position kept between the two bounds, whichever of them is the larger.
std::int16_t WithinBounds(std::int32_t position, std::int16_t minimum, std::int16_t maximum);

// One press of an arrow: the position moves by the increment, in the
// increment's own direction for the arrow that counts up (direction > 0) and
// against it for the other, and stops at the bounds.
std::int16_t NumberBoxStep(std::int16_t position, int direction, std::int32_t increment, std::int16_t minimum,
                           std::int16_t maximum);

// The text a "drive" box shows and DO IT reads: ASCII letters as capitals,
// every other character as it is.
std::string DriveBoxText(std::string_view text);

// A toggle starts ticked exactly when the current data (empty for a missing
// value) equals its data-when-ticked piece, letter case significant.
bool ToggleTicked(std::string_view dataWhenTicked, std::string_view currentData);

// The file-open dialog's filter for a "file" keyword: one description and
// pattern pair, "description|pattern".
std::string FileFilter(std::string_view description, std::string_view pattern);

}  // namespace cordalis
