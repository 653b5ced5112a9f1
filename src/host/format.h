#pragma once
// Message texts are composed from format strings in which "%s" and "%d" take the
// arguments in turn and "%N:s" / "%N:d" insert argument N (counted from 0) again.
// "%.04d" pads a number with zeros to four digits.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cordalis {

using FormatArg = std::variant<std::string, std::int64_t>;

// Throws std::invalid_argument when the format asks for an argument that is missing
// or of the other kind: a malformed message is a program fault, never user input.
std::string Format(std::string_view format, const std::vector<FormatArg>& args);

}  // namespace cordalis
