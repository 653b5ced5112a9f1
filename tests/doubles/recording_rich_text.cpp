#include "doubles/recording_rich_text.h"

namespace cordalis {

std::string RecordingRichText::CourierTexts() const {
  std::string out;
  for (const TextRun& run : Runs())
    if (run.face == Face::Courier) out += (out.empty() ? "" : "|") + run.text;
  return out;
}

}  // namespace cordalis
