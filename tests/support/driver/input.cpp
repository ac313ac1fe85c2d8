#include "tests/support/driver/input.h"

#include "tests/support/driver/wait.h"

#include <cstdlib>

namespace e2e {

namespace {

POINT g_lastClick = {-1, -1};
ULONGLONG g_lastClickTime = 0;

// Two clicks close together in space and time make a double click; wait the
// double-click time out when the new click would pair with the last one.
void KeepApartFromLastClick(POINT at) {
  const int slackX = GetSystemMetrics(SM_CXDOUBLECLK);
  const int slackY = GetSystemMetrics(SM_CYDOUBLECLK);
  if (std::abs(at.x - g_lastClick.x) > slackX || std::abs(at.y - g_lastClick.y) > slackY) return;
  const ULONGLONG apart = GetDoubleClickTime() + 50;
  const ULONGLONG since = GetTickCount64() - g_lastClickTime;
  if (since < apart) {
    WaitFor([&] { return GetTickCount64() - g_lastClickTime >= apart; },
            static_cast<unsigned>(apart), 10);
  }
}

INPUT MouseInput(DWORD flags, POINT at) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  // Absolute coordinates run from 0 to 65535 over the primary screen.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = static_cast<LONG>((at.x * 65535LL + width / 2) / (width - 1));
  input.mi.dy = static_cast<LONG>((at.y * 65535LL + height / 2) / (height - 1));
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  return input;
}

bool PointerIsAt(POINT at) {
  POINT now = {};
  return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
}

void Click(POINT at, DWORD down, DWORD up) {
  KeepApartFromLastClick(at);
  // Move first and let the pointer settle: a late move arriving between the
  // button's down and up reads as a drag (a list then starts dragging the row
  // instead of reporting the click).
  SetCursorPos(at.x, at.y);
  INPUT move = MouseInput(MOUSEEVENTF_MOVE, at);
  SendInput(1, &move, sizeof(INPUT));
  WaitFor([&] { return PointerIsAt(at); }, 1000, 10);
  Pause(50);
  // Each button event carries its own position: without MOUSEEVENTF_MOVE it
  // would use wherever a late pointer event from X has just put the cursor.
  INPUT press[2] = {MouseInput(MOUSEEVENTF_MOVE | down, at), MouseInput(MOUSEEVENTF_MOVE | up, at)};
  SendInput(2, press, sizeof(INPUT));
  g_lastClick = at;
  g_lastClickTime = GetTickCount64();
}

INPUT KeyInput(WORD virtualKey, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = flags;
  return input;
}

struct MenuSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<MenuSearch*>(parameter);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) && lstrcmpA(className, "#32768") == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void LeftClickAt(POINT screen) {
  Click(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void RightClickAt(POINT screen) {
  Click(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

POINT PointInside(const RECT& screenRect, int insetX) {
  return POINT{screenRect.left + insetX, (screenRect.top + screenRect.bottom) / 2};
}

void PressKey(WORD virtualKey) {
  INPUT inputs[2] = {KeyInput(virtualKey, 0), KeyInput(virtualKey, KEYEVENTF_KEYUP)};
  SendInput(2, inputs, sizeof(INPUT));
}

bool PressKeyIn(HWND window, WORD virtualKey, WORD modifier) {
  SetForegroundWindow(window);
  const bool front = WaitFor([&] { return GetForegroundWindow() == window; }, 2000);
  if (modifier == 0) {
    PressKey(virtualKey);
    return front;
  }
  INPUT inputs[4] = {KeyInput(modifier, 0), KeyInput(virtualKey, 0),
                     KeyInput(virtualKey, KEYEVENTF_KEYUP), KeyInput(modifier, KEYEVENTF_KEYUP)};
  SendInput(4, inputs, sizeof(INPUT));
  return front;
}

void PressAltKey(WORD virtualKey) {
  INPUT inputs[4] = {KeyInput(VK_MENU, 0), KeyInput(virtualKey, 0),
                     KeyInput(virtualKey, KEYEVENTF_KEYUP), KeyInput(VK_MENU, KEYEVENTF_KEYUP)};
  SendInput(4, inputs, sizeof(INPUT));
}

PopupMenu FindPopupMenu(DWORD processId) {
  MenuSearch search = {processId, nullptr};
  EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&search));
  PopupMenu menu;
  menu.window = search.found;
  if (menu.window) GetWindowRect(menu.window, &menu.rect);
  return menu;
}

PopupMenu WaitForPopupMenu(DWORD processId, unsigned timeoutMs) {
  PopupMenu menu;
  WaitFor([&] { return static_cast<bool>(menu = FindPopupMenu(processId)); }, timeoutMs);
  return menu;
}

void ChooseMenuItem(const PopupMenu& menu, int downs) {
  for (int i = 0; i < downs; ++i) PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  WaitFor([&] { return !IsWindow(menu.window) || !IsWindowVisible(menu.window); }, 3000);
}

void DismissMenu(const PopupMenu& menu) {
  PressKey(VK_ESCAPE);
  WaitFor([&] { return !IsWindow(menu.window) || !IsWindowVisible(menu.window); }, 3000);
}

POINT CursorPosition() {
  POINT at = {};
  GetCursorPos(&at);
  return at;
}

}  // namespace e2e
