// CWaitCursor: the busy pointer while the thread answers no input.
#pragma once

#include <windows.h>

// Shows the wait cursor from construction; the cursor shown before comes back
// when it goes, whichever way the scope is left.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  HCURSOR m_previous = nullptr;
  bool m_shown = false;
};
