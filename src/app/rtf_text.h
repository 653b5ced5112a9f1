#pragma once
// A rich-text document as one RTF stream, which a rich edit takes in a single
// EM_STREAMIN (inserting run by run costs several times as much), and the
// translation between positions in the text as written and in the rich edit.
#include <string>
#include <string_view>

#include "engine/rich_text_document.h"

namespace cordalis {

struct RtfFont {
  std::string paneFace;  // the window font's name
  int halfPoints = 16;   // its size, for both faces
  int codePage = 1252;   // the system's ANSI code page, in which the text is written
};

std::string DocumentRtf(const RichTextDocument& document, const RtfFont& font);

// RichEdit 2.0 and later keep a line break as one character (CR); RichEdit
// 1.0 keeps both. Positions in the text as written, where a break is "\r\n",
// and in the control differ by the breaks before them.
int ControlPosition(std::string_view written, int position, bool breakIsOneCharacter);
int WrittenPosition(std::string_view written, int controlPosition, bool breakIsOneCharacter);

}  // namespace cordalis
