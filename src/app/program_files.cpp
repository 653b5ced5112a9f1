#include "app/program_files.h"

namespace cordalis {

std::string ChangeFileExtension(std::string_view path, std::string_view extension) {
  std::size_t nameStart = path.find_last_of("\\/:");
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  std::size_t dot = path.rfind('.');
  std::size_t stem = dot != std::string_view::npos && dot >= nameStart ? dot : path.size();
  return std::string(path.substr(0, stem)) + std::string(extension);
}

std::string SettingsPathFor(std::string_view executablePath) { return ChangeFileExtension(executablePath, ".INI"); }

std::string HelpPathFor(std::string_view executablePath) { return ChangeFileExtension(executablePath, ".HLP"); }

}  // namespace cordalis
