#pragma once
// The tables hold windows-1252 text; data packets carry it as XML characters.
//
// Bytes that XML 1.0 cannot carry at all (the control bytes other than tab, line
// feed and carriage return) travel as the private-use characters U+E000 + byte,
// so that every byte survives a save and load and standard XML tools still parse
// the file. The five bytes that windows-1252 leaves undefined travel as U+0081,
// U+008D, U+008F, U+0090 and U+009D, as Windows itself maps them.
#include <cstdint>

namespace cordalis {

// The Unicode character of a windows-1252 byte; the five undefined bytes map to
// the C1 controls of the same number, as Windows maps them.
std::uint32_t UnicodeOfByte(unsigned char byte);
// The upper-case form of a character of windows-1252 (Latin-1 letters and the
// few letters of 0x80-0x9F), used where Windows compares names without case.
std::uint32_t UpperCaseOf(std::uint32_t codePoint);

// The character that a byte travels as in a data packet.
std::uint32_t CodePointOfByte(unsigned char byte);
// The byte that stands for a character, or -1 when windows-1252 has none.
int ByteOfCodePoint(std::uint32_t codePoint);
// True for the control bytes XML cannot carry (travel as U+E000 + byte).
inline bool IsXmlForbiddenControl(unsigned char b) { return b < 0x20 && b != '\t' && b != '\n' && b != '\r'; }
// True for the bytes that windows-1252 leaves undefined.
inline bool IsUndefinedIn1252(unsigned char b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

}  // namespace cordalis
