// The tooltip, painting and menus.
#include "platform/window.h"

#include <utility>

// ---------------------------------------------------------------------------
// Tooltip

CToolTipCtrl::~CToolTipCtrl() {
  DestroyWindow();
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  // Created again (a second data exchange): the earlier tip window goes.
  DestroyWindow();
  const HWND owner = parent ? parent->m_hWnd : nullptr;
  m_hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             AfxGetInstanceHandle(), nullptr);
  return m_hWnd != nullptr;
}

BOOL CToolTipCtrl::AddTool(HWND tool, const char* text, const RECT* rect, UINT_PTR id) {
  TTTOOLINFOA info{};
  info.cbSize = sizeof(info);
  info.hwnd = ::GetParent(tool);
  info.hinst = AfxGetInstanceHandle();
  info.lpszText = const_cast<LPSTR>(text);
  if (rect == nullptr) {
    // The whole window is the tool; the tip watches the window's mouse itself.
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
  } else {
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = tool;
    info.uId = id;
    info.rect = *rect;
  }
  return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

// ---------------------------------------------------------------------------
// Painting

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd), m_hDC(::BeginPaint(m_hWnd, &m_ps)) {}

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
  return ::DrawIcon(m_hDC, x, y, icon);
}

// ---------------------------------------------------------------------------
// Menus

CMenu::CMenu(CMenu&& other) noexcept
    : m_hMenu(std::exchange(other.m_hMenu, nullptr)),
      m_owned(std::exchange(other.m_owned, false)) {}

CMenu& CMenu::operator=(CMenu&& other) noexcept {
  if (this != &other) {
    if (m_owned) DestroyMenu();
    m_hMenu = std::exchange(other.m_hMenu, nullptr);
    m_owned = std::exchange(other.m_owned, false);
  }
  return *this;
}

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
  if (ui::Modal().trackPopupMenu) {
    return ui::Modal().trackPopupMenu(m_hMenu, flags, x, y, ownerWindow);
  }
  return static_cast<int>(::TrackPopupMenu(m_hMenu, flags, x, y, 0, ownerWindow, nullptr));
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
