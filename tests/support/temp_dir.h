#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <filesystem>
#include <random>
#include <string>

namespace cordalis::testing {

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
      auto candidate = std::filesystem::temp_directory_path() / ("cordalis-test-" + std::to_string(seed()));
      if (std::filesystem::create_directory(candidate)) {
        path_ = candidate;
        return;
      }
    }
    throw std::runtime_error("cannot make a temporary folder");
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string Str() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace cordalis::testing
