#include "app/about_texts.h"

#include "app/version_info.h"
#include "host/format.h"

namespace cordalis {
namespace {

std::string OrElse(std::string text, std::string_view fallback) {
  return text.empty() ? std::string(fallback) : text;
}

std::string VersionText(const std::string& title, const std::string& fileVersion, bool beta) {
  if (fileVersion.empty()) return beta ? title + " beta" : title;
  return Format(beta ? "%s - beta version %s" : "%s - version %s", {title, fileVersion});
}

}  // namespace

AboutTexts ComposeAboutTexts(const TVerInfoObj& info, std::string_view title) {
  const std::string name(title);
  AboutTexts texts;
  texts.beta = (info.FixedInfo().fileFlags & kFilePrereleaseFlag) != 0;
  texts.caption = "About " + name;
  texts.version = VersionText(name, info.Value("FileVersion"), texts.beta);
  texts.copyright = OrElse(info.Value("LegalCopyright"), "Copyright (C) Quillfeather");
  texts.publication = "First published in Quillfeather's Tweaks";
  texts.pubDate = OrElse(info.Value("PubDate"), "Monthuary 32, 2001");
  texts.author = OrElse(info.Value("Comments"), "Written by the Quillfeather team");
  return texts;
}

std::string PlatformLine(std::string_view platformText) { return "Platform: " + std::string(platformText); }

}  // namespace cordalis
