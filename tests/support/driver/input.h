// Real input, as a person at the desktop gives it: SendInput mouse clicks and
// key presses (Wine delivers no faked notifications across processes, so
// right-clicks and header clicks must be real), and the popup menus they open.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Moves the pointer to the screen point and clicks. Each click waits long
// enough after the previous one at the same point not to make a double click.
void LeftClickAt(POINT screen);
void RightClickAt(POINT screen);
// A point inside a rectangle: insetX pixels from its left edge, vertically centred.
POINT PointInside(const RECT& screenRect, int insetX = 6);

// Brings the window to the front (so keys reach it) and presses one key
// (down and up), with `modifier` (e.g. VK_SHIFT) held when given. Returns
// false if the window could not be made the foreground.
bool PressKeyIn(HWND window, WORD virtualKey, WORD modifier = 0);
// Presses one key wherever the keyboard focus is now.
void PressKey(WORD virtualKey);
// Alt+letter, as the menu bar's mnemonic (opens that popup of the menu bar).
void PressAltKey(WORD virtualKey);

// An open popup menu (a top-level window of class "#32768") of the process.
struct PopupMenu {
  HWND window = nullptr;
  RECT rect{};  // its screen rectangle
  explicit operator bool() const { return window != nullptr; }
};
// The visible popup menu of processId now (window null if none).
PopupMenu FindPopupMenu(DWORD processId);
// Waits for one; window null if none appeared within timeoutMs.
PopupMenu WaitForPopupMenu(DWORD processId, unsigned timeoutMs = 3000);
// Picks the item reached by pressing Down `downs` times and then Enter
// (separators are skipped by the menu itself, so the third item of a menu with
// a separator before it is still 3 Downs away). Keys go to the menu as real input.
void ChooseMenuItem(const PopupMenu& menu, int downs);
// Closes the menu with Escape; nothing is chosen.
void DismissMenu(const PopupMenu& menu);

// Screen position of the pointer as this process sees it; under Wine it can
// lag behind the last click, so prefer the point a click function returns.
POINT CursorPosition();

}  // namespace e2e
