#pragma once
// The one syntax for numbers held as text: optional blanks, an optional sign,
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Nothing may follow the digits, and the value must fit a signed 32-bit number.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cordalis {

std::optional<std::int32_t> ParseIntegerText(std::string_view text);
// The number, or fallback when the text is empty or malformed.
std::int32_t IntegerText(std::string_view text, std::int32_t fallback = 0);
// A number as signed decimal text.
std::string IntegerToText(std::int64_t value);

}  // namespace cordalis
