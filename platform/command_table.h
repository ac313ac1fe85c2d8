// Command tables: which member handles a command, notification or message.
#pragma once

#include <windows.h>

class CCmdTarget;

struct MessageMapEntry {
  UINT message;  // WM_COMMAND, WM_NOTIFY or another window message; 0 ends a table
  UINT code;     // WM_COMMAND: HIWORD(wParam); WM_NOTIFY: NMHDR::code; else 0
  UINT id;       // command or control id; 0 for window messages
  LRESULT (*invoke)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
  const MessageMap* (*base)();  // null at the root
  const MessageMapEntry* entries;
};

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  virtual const MessageMap* GetMessageMap() const;
  static const MessageMap* GetThisMessageMap();

  // The first entry of this object's tables (its own class first, then its
  // bases) that takes the message; null when none does.
  const MessageMapEntry* FindEntry(UINT message, UINT code, UINT id) const;
};

#define DECLARE_MESSAGE_MAP()                   \
 public:                                        \
  static const MessageMap* GetThisMessageMap(); \
  const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
  const MessageMap* theClass::GetMessageMap() const {                              \
    return GetThisMessageMap();                                                    \
  }                                                                                \
  const MessageMap* theClass::GetThisMessageMap() {                                \
    using ThisClass = theClass;                                                    \
    using TheBaseClass = baseClass;                                                \
    static_cast<void>(static_cast<ThisClass*>(nullptr)); /* may name no handler */ \
    static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                    \
  { 0, 0, 0, nullptr }                                                       \
  }                                                                          \
  ;                                                                          \
  static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                               \
  }

#define ON_COMMAND(id, handler)                                                              \
  {WM_COMMAND, 0, static_cast<UINT>(id), [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT { \
     static_cast<ThisClass*>(target)->handler();                                             \
     return 0;                                                                               \
   }},
#define ON_BN_CLICKED(id, handler)                     \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id),      \
   [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT { \
     static_cast<ThisClass*>(target)->handler();       \
     return 0;                                         \
   }},
#define ON_NOTIFY(code, id, handler)                                                      \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id),                             \
   [](CCmdTarget* target, WPARAM, LPARAM lParam) -> LRESULT {                             \
     LRESULT result = 0;                                                                  \
     static_cast<ThisClass*>(target)->handler(reinterpret_cast<NMHDR*>(lParam), &result); \
     return result;                                                                       \
   }},
#define ON_WM_PAINT()                                                  \
  {WM_PAINT, 0, 0, [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT { \
     static_cast<ThisClass*>(target)->OnPaint();                       \
     return 0;                                                         \
   }},
#define ON_WM_QUERYDRAGICON()                                                              \
  {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {             \
     return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(target)->OnQueryDragIcon()); \
   }},
#define ON_WM_DPICHANGED()                                                                 \
  {WM_DPICHANGED, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {  \
     static_cast<ThisClass*>(target)->OnDpiChanged(LOWORD(wParam),                         \
                                                   reinterpret_cast<const RECT*>(lParam)); \
     return 0;                                                                             \
   }},
// The window that was clicked (or has the focus) and the screen position;
// (-1, -1) when the keyboard asked (Shift+F10, the Applications key).
#define ON_WM_CONTEXTMENU()                                                                \
  {WM_CONTEXTMENU, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
     static_cast<ThisClass*>(target)->OnContextMenu(                                       \
         reinterpret_cast<HWND>(wParam),                                                   \
         POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});   \
     return 0;                                                                             \
   }},
#define ON_WM_SYSCOMMAND()                                                                \
  {WM_SYSCOMMAND, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
     static_cast<ThisClass*>(target)->OnSysCommand(static_cast<UINT>(wParam), lParam);    \
     return 0;                                                                            \
   }},
