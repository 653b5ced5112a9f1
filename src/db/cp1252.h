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

// The character that a byte stands for.
std::uint32_t CodePointOfByte(unsigned char byte);
// The byte that stands for a character, or -1 when windows-1252 has none.
int ByteOfCodePoint(std::uint32_t codePoint);
// True for the control bytes XML cannot carry (travel as U+E000 + byte).
inline bool IsXmlForbiddenControl(unsigned char b) { return b < 0x20 && b != '\t' && b != '\n' && b != '\r'; }
// True for the bytes that windows-1252 leaves undefined.
inline bool IsUndefinedIn1252(unsigned char b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

}  // namespace cordalis
