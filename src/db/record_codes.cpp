#include "db/record_codes.h"

#include <array>

#include "host/format.h"
#include "host/roots.h"
#include "host/text.h"

namespace cordalis {
namespace {

constexpr std::array<std::string_view, 5> kChangeTypes = {"Add key", "Change value", "Delete key", "Delete value",
                                                          "View value"};
constexpr std::array<std::string_view, 5> kDataTypes = {"(none)", "String", "Expand", "Binary", "DWORD"};
constexpr std::array<std::string_view, 13> kKeywords = {"",     "drive", "file",   "folder", "icon",
                                                        "memo", "num",   "text",   "textb",  "view",
                                                        "toggle", "readkeyvar", "expand"};

}  // namespace

std::string_view ChangeTypeName(int changeType) {
  return changeType >= 0 && changeType < 5 ? kChangeTypes[static_cast<std::size_t>(changeType)] : "";
}

std::string_view DataTypeName(int dataType) {
  return dataType >= 0 && dataType < 5 ? kDataTypes[static_cast<std::size_t>(dataType)] : "";
}

std::string_view ControlKeyword(int kind) {
  return kind > 0 && kind < 13 ? kKeywords[static_cast<std::size_t>(kind)] : "";
}

int KeywordCode(std::string_view text) {
  for (int kind = 1; kind < 13; ++kind)
    if (EqualsIgnoreCase(text, kKeywords[static_cast<std::size_t>(kind)])) return kind;
  return ckNone;
}

std::string TweakNumberText(std::int32_t twkId) { return Format("#T%.04d", {std::int64_t{twkId}}); }

bool IsValidRootCode(std::string_view code) { return RootFromCode(code) != 0; }

}  // namespace cordalis
