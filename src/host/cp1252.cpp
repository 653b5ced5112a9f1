#include "host/cp1252.h"

namespace cordalis {
namespace {

// Characters of bytes 0x80-0x9F; 0 marks the undefined ones.
constexpr std::uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::uint32_t UnicodeOfByte(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F && kHigh[byte - 0x80] != 0) return kHigh[byte - 0x80];
  return byte;
}

std::uint32_t UpperCaseOf(std::uint32_t cp) {
  if ((cp >= 'a' && cp <= 'z') || (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 0x20;
  switch (cp) {
    case 0xB5: return 0x039C;   // micro sign -> capital mu
    case 0xFF: return 0x0178;   // y diaeresis
    case 0x0161: return 0x0160; // s caron
    case 0x0153: return 0x0152; // oe
    case 0x017E: return 0x017D; // z caron
    default: return cp;
  }
}

std::uint32_t CodePointOfByte(unsigned char byte) {
  if (IsXmlForbiddenControl(byte)) return 0xE000u + byte;
  return UnicodeOfByte(byte);
}

int ByteOfCodePoint(std::uint32_t cp) {
  if (cp >= 0xE000 && cp < 0xE020) return static_cast<int>(cp - 0xE000);
  if (cp < 0x100) return static_cast<int>(cp);  // 0x80-0x9F too: the best fit Windows uses
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp) return 0x80 + i;
  return -1;
}

}  // namespace cordalis
