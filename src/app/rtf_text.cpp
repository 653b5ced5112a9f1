#include "app/rtf_text.h"

#include <algorithm>

namespace cordalis {
namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\par\r\n";
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x80) {
      out += "\\'";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
}

std::string Number(int n) { return std::to_string(n); }

}  // namespace

std::string DocumentRtf(const RichTextDocument& document, const RtfFont& font) {
  const ParagraphIndents& indents = document.Indents();
  std::string out = "{\\rtf1\\ansi\\ansicpg" + Number(font.codePage) + "\\deff0{\\fonttbl{\\f0\\fnil\\fcharset1 ";
  AppendEscaped(out, font.paneFace);
  out += ";}{\\f1\\fmodern\\fcharset1 Courier New;}}\r\n";
  out += "\\pard\\li" + Number(indents.leftPoints * 20) + "\\ri" + Number(indents.rightPoints * 20) + "\\fi" +
         Number(indents.firstLinePoints * 20) + "\\plain\\f0\\fs" + Number(font.halfPoints) + " ";
  for (const TextRun& run : document.Runs()) {
    out += run.face == Face::Courier ? "{\\f1" : "{\\f0";
    if (run.style & stBold) out += "\\b";
    if (run.style & stItalic) out += "\\i";
    if (run.style & stUnderline) out += "\\ul";
    out += ' ';
    AppendEscaped(out, run.text);
    out += '}';
  }
  return out + "}";
}

int ControlPosition(std::string_view written, int position, bool breakIsOneCharacter) {
  position = std::clamp(position, 0, static_cast<int>(written.size()));
  if (!breakIsOneCharacter) return position;
  int breaks = 0;
  for (int i = 0; i + 1 < position; ++i)
    if (written[static_cast<std::size_t>(i)] == '\r' && written[static_cast<std::size_t>(i) + 1] == '\n') ++breaks;
  return position - breaks;
}

int WrittenPosition(std::string_view written, int controlPosition, bool breakIsOneCharacter) {
  if (!breakIsOneCharacter) return std::clamp(controlPosition, 0, static_cast<int>(written.size()));
  int position = 0;
  for (int seen = 0; seen < controlPosition && position < static_cast<int>(written.size()); ++seen) {
    const bool lineBreak = written[static_cast<std::size_t>(position)] == '\r' &&
                           static_cast<std::size_t>(position) + 1 < written.size() &&
                           written[static_cast<std::size_t>(position) + 1] == '\n';
    position += lineBreak ? 2 : 1;
  }
  return position;
}

}  // namespace cordalis
