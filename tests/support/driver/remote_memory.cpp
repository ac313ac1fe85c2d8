#include "tests/support/driver/remote_memory.h"

namespace e2e {

RemoteMemory::RemoteMemory(HWND window, size_t size) : m_size(size) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (!processId) return;
  m_process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!m_process) return;
  m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory() {
  if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
  if (m_process) CloseHandle(m_process);
}

bool RemoteMemory::Write(const void* data, size_t size, size_t offset) const {
  if (!m_address || offset + size > m_size) return false;
  SIZE_T written = 0;
  return WriteProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size,
                            &written) &&
         written == size;
}

bool RemoteMemory::Read(void* data, size_t size, size_t offset) const {
  if (!m_address || offset + size > m_size) return false;
  SIZE_T read = 0;
  return ReadProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size, &read) &&
         read == size;
}

}  // namespace e2e
