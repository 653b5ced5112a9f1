#pragma once
// Owners of Windows handles: each closes its handle however the block ends.
#include <windows.h>

#include <utility>

namespace cordalis {

// Traits give the empty value and the release call of one kind of handle.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Empty(); }
  Handle Release() { return std::exchange(h_, Traits::Empty()); }
  void Reset(Handle h = Traits::Empty()) {
    if (h_ != Traits::Empty()) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Empty();
};

struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when it fails
  using Handle = HANDLE;
  static Handle Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct KernelHandleTraits {  // CreateFileMapping and the like: NULL when they fail
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
struct MappedViewTraits {
  using Handle = void*;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { UnmapViewOfFile(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueMappedView = UniqueHandle<MappedViewTraits>;

}  // namespace cordalis
