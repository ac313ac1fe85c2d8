// CWaitCursor: the busy pointer while the thread answers no input.
#include "platform/wait_cursor.h"

#include "platform/system.h"

CWaitCursor::CWaitCursor() {
  // A system cursor is shared and never destroyed. Without it the pointer
  // stays as it is.
  const HCURSOR wait = sys::LoadCursorA(nullptr, IDC_WAIT);
  if (wait == nullptr) return;
  m_previous = sys::SetCursor(wait);
  m_shown = true;
}

CWaitCursor::~CWaitCursor() {
  if (m_shown) sys::SetCursor(m_previous);
}
