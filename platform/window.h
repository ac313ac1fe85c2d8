// Vellorn's window toolkit: a thin framework over user32, comctl32 and
// comdlg32, made of exactly what the program uses. The application object,
// modal dialogs built from resource templates with a command table, control
// binding, the list view, the log's text control, the tooltip, menus, message
// boxes, the file-open dialog and the string class.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <string>

// ---------------------------------------------------------------------------
// String class: 8-bit ANSI text.
class CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit by design
  CString(const char* text, int length) : m_text(text, static_cast<size_t>(length)) {}
  CString(const std::string& text) : m_text(text) {}  // NOLINT: implicit by design

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  operator const char*() const { return m_text.c_str(); }  // NOLINT: implicit by design
  const char* GetString() const { return m_text.c_str(); }
  const std::string& str() const { return m_text; }

  // printf-style formatting ("%d" and friends) replacing the whole text.
  void Format(const char* format, ...);
  // The string resource `id` of the program; false (and empty) when missing.
  BOOL LoadString(UINT id);

  CString& operator+=(const CString& other) {
    m_text += other.m_text;
    return *this;
  }
  CString& operator+=(const char* other) {
    if (other) m_text += other;
    return *this;
  }
  CString& operator+=(char other) {
    m_text += other;
    return *this;
  }
  friend CString operator+(const CString& a, const CString& b) {
    return CString(a.m_text + b.m_text);
  }
  friend CString operator+(const CString& a, const char* b) {
    return CString(a.m_text + (b ? b : ""));
  }
  friend CString operator+(const char* a, const CString& b) {
    return CString((a ? a : "") + b.m_text);
  }
  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }

  // Case-insensitive comparison: A-Z fold to a-z, every other byte compares by
  // its unsigned code; a text that begins the other sorts first. The sign of
  // the result tells the order.
  int CompareNoCase(const char* other) const;

 private:
  std::string m_text;
};

// ---------------------------------------------------------------------------
// Command tables.
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

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                               \
  const MessageMap* theClass::GetMessageMap() const {                        \
    return GetThisMessageMap();                                              \
  }                                                                          \
  const MessageMap* theClass::GetThisMessageMap() {                          \
    using ThisClass = theClass;                                              \
    using TheBaseClass = baseClass;                                          \
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
#define ON_WM_SYSCOMMAND()                                                                \
  {WM_SYSCOMMAND, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
     static_cast<ThisClass*>(target)->OnSysCommand(static_cast<UINT>(wParam), lParam);    \
     return 0;                                                                            \
   }},

// ---------------------------------------------------------------------------
// Modal entry points that in-process tests may answer instead of a person.
// Null members mean the real call.
namespace ui {
struct ModalSeam {
  int (*messageBox)(HWND owner, const char* text, const char* caption, UINT type) = nullptr;
  int (*trackPopupMenu)(HMENU popup, UINT flags, int x, int y, HWND owner) = nullptr;
  BOOL (*getOpenFileName)(OPENFILENAMEA* request) = nullptr;
  BOOL (*getCursorPos)(POINT* point) = nullptr;
};
ModalSeam& Modal();

int SystemMetric(int index);
// The cursor's position in screen coordinates.
POINT CursorPos();
// Runs every message waiting for this thread, then returns.
void PumpMessages();
// The program's file name without folder and extension: the caption of a
// message box that gives none of its own.
CString ProgramName();
}  // namespace ui

// ---------------------------------------------------------------------------
// Windows.
class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override = default;  // a bound control goes with its dialog
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  void Attach(HWND hwnd) { m_hWnd = hwnd; }
  HWND Detach() {
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    return hwnd;
  }

  HWND GetDlgItem(int id) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void GetWindowText(CString& text) const;
  void SetWindowText(const char* text);
  // A modal message box owned by this window. A null caption shows the
  // program's name.
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;
  BOOL EnableToolTips(BOOL enable = TRUE);
  BOOL ToolTipsEnabled() const { return m_toolTipsEnabled; }
  HMENU GetSystemMenu(BOOL revert) const;
  HICON SetIcon(HICON icon, BOOL big);
  BOOL IsIconic() const;
  void GetClientRect(RECT* rect) const;
  BOOL DestroyWindow();
  BOOL ShowWindow(int command);
  // WM_SETREDRAW: while off, the window neither repaints nor recomputes its
  // layout after each change.
  void SetRedraw(BOOL redraw = TRUE);
  // The whole client area is repainted at the next paint.
  void Invalidate(BOOL erase = TRUE);

  // Inside a handler: let the window's default processing run as well. It
  // answers the message being handled, not one that a nested modal loop
  // dispatches meanwhile.
  void Default() {
    if (m_defaultRequested != nullptr) *m_defaultRequested = true;
  }

 protected:
  // The flag of the dispatch in progress on this window; null between them.
  bool* m_defaultRequested = nullptr;
  bool m_toolTipsEnabled = false;
};

// Suspends a window's redraw for one bulk change; when it goes, redraw is back
// on and the window repaints once, whichever way the scope is left.
class CRedrawSuspension {
 public:
  explicit CRedrawSuspension(CWnd& window) : m_window(window) { m_window.SetRedraw(FALSE); }
  ~CRedrawSuspension() {
    m_window.SetRedraw(TRUE);
    m_window.Invalidate();
  }
  CRedrawSuspension(const CRedrawSuspension&) = delete;
  CRedrawSuspension& operator=(const CRedrawSuspension&) = delete;

 private:
  CWnd& m_window;
};

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
  CMenu& operator=(CMenu&& other) noexcept;

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

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// The owner of a modal window made for `self`: `parent`'s window, or the
// application's main window when there is no parent (null for the main
// window itself).
HWND ModalOwner(const CWnd* parent, const CWnd* self);

// Binds `control` to the dialog's child window `id`.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the window from the template and runs it until it ends (EndDialog)
  // or is destroyed. Gives EndDialog's result, -1 when no window was made.
  // Without a parent, the application's main window owns it; the owner is
  // disabled meanwhile.
  virtual INT_PTR DoModal();
  // Creates the window without a modal run (for tests hosting the window).
  BOOL Create(CWnd* parent = nullptr);
  void EndDialog(int result);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  DECLARE_MESSAGE_MAP()

 protected:
  virtual void DoDataExchange(CDataExchange* exchange);
  virtual BOOL OnInitDialog();  // runs DoDataExchange (load direction)
  virtual void OnOK();          // runs DoDataExchange (save direction), then ends with IDOK
  virtual void OnCancel();      // ends with IDCANCEL
  void OnPaint() { Default(); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam, const bool& defaultRequested);

  UINT m_templateId;
  CWnd* m_parent;
  bool m_ended = false;
  INT_PTR m_result = -1;
};

// ---------------------------------------------------------------------------
// Controls.
class CListCtrl : public CWnd {
 public:
  int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1);
  int InsertItem(int row, const char* text);  // LVIF_TEXT only
  BOOL SetItemText(int row, int subItem, const char* text);
  BOOL SetItem(int row, int subItem, UINT mask, const char* text, int image, UINT state,
               UINT stateMask, LPARAM data);
  BOOL SetItemData(int row, DWORD_PTR data);  // LVIF_PARAM only
  DWORD_PTR GetItemData(int row) const;
  CString GetItemText(int row, int subItem) const;
  int GetItemCount() const;
  BOOL DeleteItem(int row);
  int GetNextItem(int start, int flags) const;
  BOOL SetItemState(int row, UINT state, UINT mask);
  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD style);  // LVM_SETEXTENDEDLISTVIEWSTYLE, mask 0
  BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data);
  int GetColumnCount() const;
  CString GetColumnHeading(int column) const;
  int GetColumnWidth(int column) const;
};

// The log panel; used through the generic window-text operations only.
class CRichEditCtrl : public CWnd {};

// Owns its window: destroyed with the object, unless its owner took it along.
class CToolTipCtrl : public CWnd {
 public:
  ~CToolTipCtrl() override;
  BOOL Create(CWnd* parent, DWORD style = 0);
  // Registers the whole of `tool` as a tool with `text`; the tip subclasses
  // the tool's window, so nothing needs relaying.
  BOOL AddTool(HWND tool, const char* text, const RECT* rect = nullptr, UINT_PTR id = 0);

 private:
  void DestroyTip();
};

// Paints between BeginPaint and EndPaint.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  HDC GetSafeHdc() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON icon);

 private:
  HWND m_hWnd;
  PAINTSTRUCT m_ps{};
  HDC m_hDC;
};

// The common file-open dialog. The filter uses '|' between its parts and
// ends with "||". Without a parent, the application's main window owns it.
class CFileDialog {
 public:
  CFileDialog(BOOL open, const char* defaultExtension, const char* fileName, DWORD flags,
              const char* filter, CWnd* parent = nullptr);
  INT_PTR DoModal();  // IDOK or IDCANCEL
  CString GetPathName() const;
  const OPENFILENAMEA& Request() const { return m_request; }

 private:
  OPENFILENAMEA m_request{};
  std::string m_filter;
  std::string m_defaultExtension;
  char m_file[MAX_PATH] = {};
  BOOL m_open;
};

// The framework's help command.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// ---------------------------------------------------------------------------
// The application object. Exactly one exists; the program's entry point runs
// its InitInstance and ends when that returns.
BOOL AfxInitRichEdit();

class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;

  virtual BOOL InitInstance();
  void SetRegistryKey(const char* key);
  HICON LoadIcon(UINT id) const;
  // Default help: the program ships no help file, so there is nothing to open.
  void OnHelp() {}

  CWnd* m_pMainWnd = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  HMODULE m_richEdit = nullptr;
  friend BOOL AfxInitRichEdit();  // loads it once, for the program's life
};

CWinApp* AfxGetApp();
// The application's main window, or null.
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
void AfxInitCommonControls();
BOOL AfxInitRichEdit();
void AfxEnableControlContainer();
