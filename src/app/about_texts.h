#pragma once
// What the About box shows, taken from the program's version resource with
// fixed texts where the resource has no string.
#include <string>
#include <string_view>

namespace cordalis {

class TVerInfoObj;

struct AboutTexts {
  std::string caption;      // "About " and the title
  std::string version;      // title and "FileVersion", marked when a beta
  bool beta = false;        // the pre-release file flag: the version shows in red
  std::string copyright;
  std::string publication;  // the collection the program first appeared in
  std::string pubDate;
  std::string author;
};

AboutTexts ComposeAboutTexts(const TVerInfoObj& info, std::string_view title);

// "Platform: " and the current platform text, which may be empty.
std::string PlatformLine(std::string_view platformText);

}  // namespace cordalis
