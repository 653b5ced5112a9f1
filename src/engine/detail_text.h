#pragma once
// The Detail pane: one paragraph per action saying what DO IT will do, or per
// undo action saying what Undo will do, with the current data read afresh.
#include <cstdint>

namespace cordalis {

class RegistryApi;
class RichTextPane;
class Tdm1;
struct HostFacts;

struct DetailInputs {
  Tdm1& dm;
  std::int32_t twkId = 0;  // the selected tweak, whose actions or undo actions are listed
  RegistryApi& registry;
  const HostFacts& facts;
  bool hasUndoData = false;
  bool viewOnly = false;
  std::uint16_t currentMask = 0;
};

void BuildDetailText(const DetailInputs& in, RichTextPane& pane);

}  // namespace cordalis
