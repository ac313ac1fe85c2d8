// CMenu: menus loaded from resources, the system menu and popup menus.
#pragma once

#include "platform/window.h"

#include <windows.h>

// A menu. Owns what it loads; a menu it only refers to (a popup inside a loaded
// menu, the system menu) it leaves alone.
class CMenu {
 public:
  CMenu() = default;
  ~CMenu() {
    if (m_owned) DestroyMenu();
  }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;
  CMenu(CMenu&& other) noexcept;

  static CMenu FromHandle(HMENU menu);  // not owned

  BOOL LoadMenu(UINT id);
  HMENU GetSafeHmenu() const { return m_hMenu; }
  CMenu GetSubMenu(int position) const;  // not owned
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
  // TPM_RETURNCMD gives the chosen command, or 0 when the menu is dismissed.
  int TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) const;
  // Destroys the menu, owned or not; later calls do nothing.
  BOOL DestroyMenu();

 private:
  HMENU m_hMenu = nullptr;
  bool m_owned = false;
};
