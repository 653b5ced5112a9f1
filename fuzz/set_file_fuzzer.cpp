// Any set file text: every problem names a line of the file, and every line
// read comes back the same when written as a set file and read again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/set_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cordalis;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SetFile set = ReadSetFile(text);
  const int lineCount = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  for (const SetFileProblem& p : set.problems)
    if (p.lineNumber < 1 || p.lineNumber > lineCount || p.message.empty()) std::abort();
  for (const SetLine& line : set.lines) {
    if (line.lineNumber < 1 || line.lineNumber > lineCount || line.twkId <= 0) std::abort();
    bool writable = true;  // data holding a line break cannot be written on one line
    for (const SetControlData& d : line.data)
      if (d.control.find_first_of("\r\n") != std::string::npos || d.data.find_first_of("\r\n") != std::string::npos)
        writable = false;
    if (!writable) continue;
    const SetFile again = ReadSetFile(SetFileLine(line.twkId, line.data, "title"));
    if (!again.problems.empty() || again.lines.size() != 1 || again.lines[0].twkId != line.twkId ||
        again.lines[0].data != line.data)
      std::abort();
  }
  return 0;
}
