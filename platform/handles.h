// Owners for everything the program acquires from the system: one small type
// per kind of handle, told apart by its invalid value and its release call.
#pragma once

#include "platform/system.h"

#include <utility>

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() = default;
  explicit UniqueResource(Type value) : m_value(value) {}
  ~UniqueResource() { reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : m_value(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    reset(other.release());
    return *this;
  }

  Type get() const { return m_value; }
  bool valid() const { return m_value != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }

  Type release() { return std::exchange(m_value, Traits::Invalid()); }
  // The thread's last-error value survives the close: a caller may report
  // an error after the owner has gone.
  void reset(Type value = Traits::Invalid()) {
    const Type old = std::exchange(m_value, value);
    if (old == Traits::Invalid()) return;
    const DWORD error = ::GetLastError();
    Traits::Close(old);
    ::SetLastError(error);
  }

  // For out-parameters (OpenProcessToken): releases what is held first.
  Type* put() {
    reset();
    return &m_value;
  }

 private:
  Type m_value = Traits::Invalid();
};

// Process and token handles: null when invalid.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type handle) { sys::CloseHandle(handle); }
};

// Files and snapshots: INVALID_HANDLE_VALUE when invalid.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { sys::CloseHandle(handle); }
};

struct LibraryTraits {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static void Close(Type module) { sys::FreeLibrary(module); }
};

struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type Invalid() { return nullptr; }
  static void Close(Type memory) { sys::LocalFree(memory); }
};

// The screen's device context (GetDC of no window).
struct ScreenDcTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type dc) { sys::ReleaseDC(nullptr, dc); }
};

using ProcessHandle = UniqueResource<KernelHandleTraits>;
using TokenHandle = UniqueResource<KernelHandleTraits>;
using FileHandle = UniqueResource<FileHandleTraits>;
using SnapshotHandle = UniqueResource<FileHandleTraits>;
using LoadedLibrary = UniqueResource<LibraryTraits>;
using LocalMemory = UniqueResource<LocalMemoryTraits>;
using ScreenDc = UniqueResource<ScreenDcTraits>;
