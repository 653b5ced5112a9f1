#include "catalogue/catalogue.h"

#include "db/record_codes.h"

namespace cordalis::catalogue {

std::string ProblemLine(const Problem& problem) {
  std::string line;
  if (!problem.origin.file.empty()) {
    line += problem.origin.file;
    if (problem.origin.line > 0) line += ":" + std::to_string(problem.origin.line);
    line += ": ";
  }
  std::string subject;
  if (problem.twkId) subject = TweakNumberText(*problem.twkId);
  if (problem.action > 0) subject += (subject.empty() ? "" : " ") + std::string("action ") + std::to_string(problem.action);
  if (!problem.field.empty()) subject += (subject.empty() ? "" : " ") + problem.field;
  if (!subject.empty()) line += subject + ": ";
  return line + problem.message;
}

Origin FieldOrigin(const Origin& record, const FieldLines& lines, const std::string& field) {
  auto it = lines.find(field);
  return it == lines.end() ? record : Origin{record.file, it->second};
}

std::size_t ActionCount(const Catalogue& catalogue) {
  std::size_t count = 0;
  for (const Tweak& tweak : catalogue.tweaks) count += tweak.actions.size();
  return count;
}

}  // namespace cordalis::catalogue
