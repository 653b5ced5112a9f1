// The POSIX file store keeps the durability that the file port promises and
// that the crash tests' disk model takes for granted: a file's bytes are
// flushed before WriteDurably returns, and the folder after each rename.
//
// This test program replaces the system's fsync by one that notes, while a
// test listens, what each flush covered (a file's bytes, a folder's names)
// and then flushes as the system would.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "host/file_store.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

// What one flush covered: the flushed path, then the file's bytes or the
// folder's names (sorted, one a line).
struct FlushSeen {
  std::string path;
  std::string content;
  friend bool operator==(const FlushSeen&, const FlushSeen&) = default;
  friend void PrintTo(const FlushSeen& f, std::ostream* out) { *out << f.path << " [" << f.content << "]"; }
};

// The replaced fsync's only way to reach the listening test.
std::vector<FlushSeen>* listening = nullptr;

FlushSeen Seen(int fd) {
  char target[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
  FlushSeen seen{n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string(), ""};
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(seen.path))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) seen.content += name + "\n";
  } else {
    std::ifstream file(seen.path, std::ios::binary);
    seen.content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return seen;
}

class Listening {
 public:
  Listening() { listening = &seen; }
  ~Listening() { listening = nullptr; }
  Listening(const Listening&) = delete;
  Listening& operator=(const Listening&) = delete;
  std::vector<FlushSeen> seen;
};

}  // namespace
}  // namespace cordalis

extern "C" int fsync(int fd) {
  if (cordalis::listening) cordalis::listening->push_back(cordalis::Seen(fd));
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace cordalis {
namespace {

TEST(PosixFileStoreDurability, EachPromiseIsFlushedBeforeItReturns) {
  testing::TempDir dir;
  const std::string folder = std::filesystem::canonical(dir.Path()).string();
  const std::string a = folder + "/a.xml", b = folder + "/b.xml", c = folder + "/c.xml";
  FileStore& files = SystemFileStore();
  struct Step {
    const char* what;
    std::function<void()> run;
    FlushSeen promised;  // a flush that must have happened before the step returned
  };
  const Step steps[] = {
      {"WriteDurably flushes the bytes", [&] { files.WriteDurably(a, "new bytes"); }, {a, "new bytes"}},
      {"WriteDurably flushes the bytes of a file it truncates", [&] { files.WriteDurably(a, "other"); }, {a, "other"}},
      {"ReplaceInOneStep flushes the folder after the rename", [&] { EXPECT_TRUE(files.ReplaceInOneStep(a, b)); },
       {folder, "b.xml\n"}},
      {"MoveNoReplace flushes the folder after the rename", [&] { EXPECT_TRUE(files.MoveNoReplace(b, c)); },
       {folder, "c.xml\n"}},
  };
  for (const Step& step : steps) {
    Listening flushes;
    step.run();
    EXPECT_TRUE(std::find(flushes.seen.begin(), flushes.seen.end(), step.promised) != flushes.seen.end())
        << step.what << "; flushes seen: " << ::testing::PrintToString(flushes.seen);
  }
}

}  // namespace
}  // namespace cordalis
