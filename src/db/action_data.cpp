#include "db/action_data.h"

#include "host/text.h"

namespace cordalis {

TogglePieces SplitToggle(std::string_view data) {
  FirstField caption = TakeFirstField(data);
  FirstField ticked = TakeFirstField(caption.rest);
  return {std::move(caption.field), std::move(ticked.field), std::move(ticked.rest)};
}

VariableData SplitVariableData(std::string_view data) {
  FirstField split = TakeFirstField(data);
  return {std::move(split.field), std::move(split.rest)};
}

std::optional<VariableSource> ParseVariableSource(std::string_view source) {
  const std::string_view rest = source.size() > 5 ? source.substr(5) : std::string_view();
  const std::size_t split = rest.find("\\\\");
  if (split == std::string_view::npos) return std::nullopt;
  return VariableSource{std::string(source.substr(0, 4)), std::string(rest.substr(0, split)),
                        std::string(rest.substr(split + 2))};
}

}  // namespace cordalis
