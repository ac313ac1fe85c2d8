// CToolTipCtrl: tips shown over a window.
#pragma once

#include "platform/window.h"

#include <windows.h>

// Owns its window: destroyed with the object, unless its owner took it along.
class CToolTipCtrl : public CWnd {
 public:
  ~CToolTipCtrl() override;
  BOOL Create(CWnd* parent, DWORD style = 0);
  // Registers the whole of `tool` as a tool with `text`; its mouse messages
  // reach the tip through the toolkit's own relay, which is far cheaper under
  // Wine than the common controls' subclassing.
  BOOL AddTool(HWND tool, const char* text);

 private:
  void DestroyTip();
};
