// Any block reads without a fault and gives the About box its texts; a lookup
// only ever answers from the preferred table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/about_texts.h"
#include "app/version_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cordalis;
  const TVerInfoObj info = TVerInfoObj::FromBlock(std::span<const std::uint8_t>(data, size));
  for (const char* name : {"FileVersion", "comments", "PUBDATE", "LegalCopyright", ""}) {
    const std::string value = info.Value(name);
    if (info.Tables().empty() ? !value.empty() : value != info.Tables().front().Value(name)) std::abort();
  }
  const AboutTexts texts = ComposeAboutTexts(info, "Cordalis");
  if (texts.version.rfind("Cordalis", 0) != 0 || texts.caption != "About Cordalis") std::abort();
  return 0;
}
