// CMenu: loading, popups and their ownership.
#include "platform/menu.h"

#include "platform/app.h"
#include "platform/system.h"

#include <utility>

CMenu::CMenu(CMenu&& other) noexcept
    : m_hMenu(std::exchange(other.m_hMenu, nullptr)),
      m_owned(std::exchange(other.m_owned, false)) {}

CMenu CMenu::FromHandle(HMENU menu) {
  CMenu result;
  result.m_hMenu = menu;
  return result;
}

BOOL CMenu::LoadMenu(UINT id) {
  if (m_owned) DestroyMenu();
  m_hMenu = ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id));
  m_owned = m_hMenu != nullptr;
  return m_owned;
}

CMenu CMenu::GetSubMenu(int position) const {
  return FromHandle(m_hMenu ? ::GetSubMenu(m_hMenu, position) : nullptr);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
  return ::AppendMenuA(m_hMenu, flags, id, text);
}

int CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) const {
  const HWND ownerWindow = owner ? owner->m_hWnd : nullptr;
  return static_cast<int>(sys::TrackPopupMenu(m_hMenu, flags, x, y, 0, ownerWindow, nullptr));
}

BOOL CMenu::DestroyMenu() {
  // A destroyed menu is dropped whether or not it was ours to destroy, so
  // that the owner of the same menu does not destroy it twice.
  if (m_hMenu == nullptr) return FALSE;
  const BOOL destroyed = ::IsMenu(m_hMenu) ? ::DestroyMenu(m_hMenu) : FALSE;
  m_hMenu = nullptr;
  m_owned = false;
  return destroyed;
}
