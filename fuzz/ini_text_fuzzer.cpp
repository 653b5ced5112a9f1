// Any settings file text: a key written reads back as written, and a key of
// another section reads as it did before.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cordalis;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto otherBefore = FindIniValue(text, "MainForm Settings", "Left");
  const std::string written = SetIniValue(text, "Settings", "FindWhat", "a=b c");
  if (FindIniValue(written, "settings", "FINDWHAT") != "a=b c") std::abort();
  if (FindIniValue(written, "MainForm Settings", "Left") != otherBefore) std::abort();
  // Writing the same value again changes nothing more.
  if (SetIniValue(written, "Settings", "FindWhat", "a=b c") != written) std::abort();
  return 0;
}
