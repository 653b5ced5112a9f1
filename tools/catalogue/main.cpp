// cordalis-catalogue: builds the shipped tables from the catalogue's text form,
// checks either form, and summarises what the catalogue covers.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "catalogue/catalogue_files.h"
#include "catalogue/catalogue_summary.h"
#include "host/file_store.h"

namespace {

using namespace cordalis;
using namespace cordalis::catalogue;

constexpr const char* kUsage =
    "usage: cordalis-catalogue build <tweaks-folder> <out-folder>\n"
    "       cordalis-catalogue check <tweaks-folder>\n"
    "       cordalis-catalogue check <Twks.xml> <Data.xml>\n"
    "       cordalis-catalogue summary <tweaks-folder>\n"
    "       cordalis-catalogue summary <Twks.xml> <Data.xml>\n";

// Problems go to the standard output, one per line, so they can be compared
// and grepped; the count goes to the error output. Returns the exit code.
int Report(const std::vector<Problem>& problems) {
  for (const Problem& problem : problems) std::printf("%s\n", ProblemLine(problem).c_str());
  if (problems.empty()) return 0;
  std::fprintf(stderr, "cordalis-catalogue: %zu problem%s\n", problems.size(), problems.size() == 1 ? "" : "s");
  return 1;
}

LoadedCatalogue Load(const std::vector<std::string>& paths) {
  return paths.size() == 1 ? LoadTweaksFolder(SystemFileStore(), paths[0])
                           : LoadTableFiles(SystemFileStore(), paths[0], paths[1]);
}

int Run(const std::vector<std::string>& args) {
  const std::string command = args.empty() ? "" : args[0];
  const std::vector<std::string> paths(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
  if (command == "build" && paths.size() == 2) {
    std::vector<Problem> problems = BuildTableFiles(SystemFileStore(), paths[0], paths[1]);
    if (problems.empty()) std::printf("wrote Twks.xml and Data.xml in %s\n", paths[1].c_str());
    return Report(problems);
  }
  if (command == "check" && (paths.size() == 1 || paths.size() == 2)) {
    LoadedCatalogue loaded = Load(paths);
    if (loaded.problems.empty())
      std::printf("%zu tweaks, %zu actions: no problems\n", loaded.catalogue.tweaks.size(),
                  ActionCount(loaded.catalogue));
    return Report(loaded.problems);
  }
  if (command == "summary" && (paths.size() == 1 || paths.size() == 2)) {
    LoadedCatalogue loaded = Load(paths);
    std::fputs(SummaryText(loaded.catalogue).c_str(), stdout);
    if (!loaded.problems.empty()) std::printf("\nProblems\n");
    return Report(loaded.problems);
  }
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cordalis-catalogue: %s\n", e.what());
    return 2;
  }
}
