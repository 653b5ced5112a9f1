#pragma once
// The rich-text port on a rich edit (RichEdit 2.0 or later where the system
// has it, 1.0 otherwise). The runs are gathered in a document and handed to
// the control in one RTF stream when the writer presents them.
#include <windows.h>

#include <richedit.h>

#include <string>

#include "app/rtf_text.h"
#include "engine/rich_text.h"
#include "engine/rich_text_document.h"
#include "host/win32/system_libraries.h"
#include "host/win32/window.h"

namespace cordalis {

class RichEditPane final : public RichTextPane {
 public:
  // A read-only rich edit with a vertical scroll bar that keeps showing its
  // selection without the focus and reports the size its content asks for.
  // The scroll bar stays, greyed while the text fits: a bar that came and
  // went would change the width and make the control wrap its text anew
  // whenever the layout changes the pane's height.
  RichEditPane(HWND parent, HINSTANCE instance, const RichEditClass& richEdit, int id);
  ~RichEditPane() override;
  RichEditPane(const RichEditPane&) = delete;
  RichEditPane& operator=(const RichEditPane&) = delete;

  HWND Handle() const { return hwnd_; }
  // The pane font: the window font, for the default attributes of the text.
  void SetFont(HFONT font, const std::string& faceName, int pointSize);
  // The window colour, or the button-face colour when no tweak is selected.
  void SetBackground(int sysColour);
  // The parent of a pane hands its WM_NOTIFY here: a pane's EN_REQUESTRESIZE
  // reaches the pane that sent it. True when it was one.
  static bool RouteNotify(const NMHDR& header);

  void Clear() override;
  void SetParagraphIndents(int leftPoints, int rightPoints, int firstLinePoints) override;
  void MoveToStart() override { document_.MoveToStart(); }
  void MoveToEnd() override { document_.MoveToEnd(); }
  void Insert(const std::string& text, Face face, unsigned style) override;
  void Present() override;
  std::string Text() const override;
  void Select(int start, int length) override;
  void SelectAll() override;
  std::string SelectedText() const override;
  void Copy() override;
  int RequestedHeight() override;

 private:
  HWND hwnd_ = nullptr;
  bool breakIsOneCharacter_;  // RichEdit 2.0 and later
  RichTextDocument document_;
  RtfFont font_;
  int requestedBottom_ = 0;
  int requestedWidth_ = -1;  // the client width the last answer was for
  bool contentChanged_ = true;
};

// Streams RTF into a rich edit in one message.
void StreamRtfInto(HWND richEdit, const std::string& rtf);

}  // namespace cordalis
