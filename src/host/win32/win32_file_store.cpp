// The file store on Windows.
#include <windows.h>

#include <algorithm>

#include "host/file_store.h"
#include "host/win32/system_error_text.h"

namespace cordalis {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  DWORD code = GetLastError();
  throw FileError(what + " " + path + ": " + SystemErrorText(code));
}

class HandleCloser {
 public:
  explicit HandleCloser(HANDLE h) : h_(h) {}
  ~HandleCloser() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE get() const { return h_; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  HANDLE h_;
};

class Win32FileStore final : public FileStore {
 public:
  bool Exists(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string Read(const std::string& path, std::size_t maxBytes) override {
    HandleCloser file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) Fail("Cannot open", path);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) Fail("Cannot read", path);
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes)
      throw FileError("Cannot read " + path + ": the file is larger than " + std::to_string(maxBytes) + " bytes");
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD n = 0;
      if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr))
        Fail("Cannot read", path);
      if (n == 0) throw FileError("Cannot read " + path + ": the file shrank");
      done += n;
    }
    return bytes;
  }

  void WriteDurably(const std::string& path, std::string_view bytes) override {
    HandleCloser file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) Fail("Cannot create", path);
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD n = 0;
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      if (!WriteFile(file.get(), bytes.data() + done, chunk, &n, nullptr)) Fail("Cannot write", path);
      done += n;
    }
    if (!FlushFileBuffers(file.get())) Fail("Cannot flush", path);
    if (!CloseHandle(file.release())) Fail("Cannot close", path);
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      Fail("Cannot replace", to);
  }

  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return false;
    throw FileError("Cannot rename " + from + " to " + to + ": " + SystemErrorText(code));
  }
};

}  // namespace

FileStore& SystemFileStore() {
  static Win32FileStore store;
  return store;
}

}  // namespace cordalis
