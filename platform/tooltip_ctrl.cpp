// CToolTipCtrl: the tip window and the relay of its tools' mouse messages.
#include "platform/tooltip_ctrl.h"

#include "platform/app.h"

#include <commctrl.h>

#include <map>

namespace {

// A whole-window tool whose mouse messages go on to its tip. The common
// controls' own subclassing (TTF_SUBCLASS) looks its data up as a window
// property on every message the tool gets, which under Wine is a trip to the
// server (about 35 us, seventy times the cost of a list-view message); a
// procedure of our own finds the tip in this table instead.
struct RelayedTool {
  WNDPROC previous;
  HWND tip;
};

std::map<HWND, RelayedTool>& RelayedTools() {
  static std::map<HWND, RelayedTool> tools;
  return tools;
}

bool IsRelayedMouseMessage(UINT message) {
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK RelayToTip(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto found = RelayedTools().find(window);
  if (found == RelayedTools().end()) return ::DefWindowProcW(window, message, wParam, lParam);
  const RelayedTool tool = found->second;
  if (tool.tip != nullptr && IsRelayedMouseMessage(message)) {
    MSG relayed{};
    relayed.hwnd = window;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = static_cast<DWORD>(::GetMessageTime());
    const DWORD position = ::GetMessagePos();
    relayed.pt = POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::SendMessageW(tool.tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tool.previous));
    RelayedTools().erase(window);
  }
  return ::CallWindowProcW(tool.previous, window, message, wParam, lParam);
}

void RelayMouseToTip(HWND tool, HWND tip) {
  auto& tools = RelayedTools();
  const auto found = tools.find(tool);
  if (found != tools.end()) {
    found->second.tip = tip;
    return;
  }
  const auto previous = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(tool, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RelayToTip)));
  if (previous != nullptr) tools[tool] = RelayedTool{previous, tip};
}

// The tip goes: its tools stop relaying, and leave the procedure chain when
// nobody subclassed them after us.
void StopRelayingTo(HWND tip) {
  auto& tools = RelayedTools();
  for (auto tool = tools.begin(); tool != tools.end();) {
    if (tool->second.tip != tip) {
      ++tool;
      continue;
    }
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(tool->first, GWLP_WNDPROC));
    if (current == &RelayToTip) {
      ::SetWindowLongPtrW(tool->first, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(tool->second.previous));
      tool = tools.erase(tool);
    } else {
      tool->second.tip = nullptr;
      ++tool;
    }
  }
}

// Marks a tip window as made by one CToolTipCtrl: a handle that names another
// window by now (freed handles are handed out again) carries no such mark.
constexpr char kTipMaker[] = "Vellorn.CToolTipCtrl";

}  // namespace

CToolTipCtrl::~CToolTipCtrl() {
  DestroyTip();
}

void CToolTipCtrl::DestroyTip() {
  if (m_hWnd == nullptr) return;
  StopRelayingTo(m_hWnd);
  // A tip made with the list as its owner went with the list when the dialog
  // ended; its handle may name another window by now.
  if (::IsWindow(m_hWnd) && ::GetPropA(m_hWnd, kTipMaker) == this) {
    ::RemovePropA(m_hWnd, kTipMaker);
    ::DestroyWindow(m_hWnd);
  }
  m_hWnd = nullptr;
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  // Created again (a second data exchange): the earlier tip window goes.
  DestroyTip();
  const HWND owner = parent ? parent->m_hWnd : nullptr;
  m_hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             AfxGetInstanceHandle(), nullptr);
  if (m_hWnd != nullptr) ::SetPropA(m_hWnd, kTipMaker, this);
  return m_hWnd != nullptr;
}

BOOL CToolTipCtrl::AddTool(HWND tool, const char* text) {
  TTTOOLINFOA info{};
  info.cbSize = sizeof(info);
  info.hwnd = ::GetParent(tool);
  info.hinst = AfxGetInstanceHandle();
  info.lpszText = const_cast<LPSTR>(text);
  // The whole window is the tool; its mouse messages reach the tip through a
  // procedure of ours (see RelayToTip).
  info.uFlags = TTF_IDISHWND;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  const BOOL added =
      static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
  if (added && tool != nullptr) RelayMouseToTip(tool, m_hWnd);
  return added;
}
