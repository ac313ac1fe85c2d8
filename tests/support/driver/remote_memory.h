// A block of memory inside another process, for messages whose parameters
// are pointers. Freed with the object.
#pragma once

#include <windows.h>

#include <cstddef>

namespace e2e {

class RemoteMemory {
 public:
  // Allocates size bytes in the process that owns window.
  RemoteMemory(HWND window, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool Valid() const { return m_address != nullptr; }
  void* Address() const { return m_address; }
  // The remote address of byte `offset`, as a message parameter.
  LPARAM At(size_t offset = 0) const {
    return reinterpret_cast<LPARAM>(static_cast<char*>(m_address) + offset);
  }
  bool Write(const void* data, size_t size, size_t offset = 0) const;
  bool Read(void* data, size_t size, size_t offset = 0) const;

 private:
  HANDLE m_process = nullptr;
  void* m_address = nullptr;
  size_t m_size = 0;
};

}  // namespace e2e
