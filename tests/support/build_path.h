#pragma once
#include <string>

namespace cordalis::testing {

// A path of the build, as the running program must name it: build paths are
// Linux paths, and Wine shows the Linux root as drive Z:.
inline std::string BuildPath(std::string path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
#endif
  return path;
}

}  // namespace cordalis::testing
