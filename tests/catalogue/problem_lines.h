#pragma once
// Problems as the tool prints them, for comparing with expected lines.
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_check.h"
#include "catalogue/text_form.h"

namespace cordalis::catalogue::testing {

inline std::vector<std::string> Lines(const std::vector<Problem>& problems) {
  std::vector<std::string> lines;
  for (const Problem& p : problems) lines.push_back(ProblemLine(p));
  return lines;
}

// Every problem of one text-form file named t.twk: its form, then its records.
inline std::vector<std::string> ProblemsOf(std::string_view text) {
  Catalogue catalogue;
  std::vector<Problem> problems;
  ParseTextForm("t.twk", text, catalogue, problems);
  std::vector<Problem> records = CheckCatalogue(catalogue);
  problems.insert(problems.end(), records.begin(), records.end());
  return Lines(problems);
}

}  // namespace cordalis::catalogue::testing
