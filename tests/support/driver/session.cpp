#include "tests/support/driver/session.h"

#include <commctrl.h>

#include <vector>

namespace e2e {

namespace {

struct MainWindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMainWindowOf(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<MainWindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  if (lstrcmpA(className, "#32770") == 0 && lstrcmpA(title, "Vellorn") == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct BoxCount {
  DWORD processId;
  HWND except;
  int count;
};

BOOL CALLBACK CountBox(HWND window, LPARAM parameter) {
  auto* boxes = reinterpret_cast<BoxCount*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner == boxes->processId && window != boxes->except && IsWindowVisible(window) &&
      lstrcmpA(className, "#32770") == 0) {
    ++boxes->count;
  }
  return TRUE;
}

BOOL CALLBACK DescribeWindow(HWND window, LPARAM parameter) {
  auto* seen = reinterpret_cast<std::pair<DWORD, std::string>*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != seen->first) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  char title[128] = {};
  GetWindowTextA(window, title, sizeof title);
  seen->second += std::string(" [") + className + " \"" + title + "\"" +
                  (IsWindowVisible(window) ? "" : " hidden") + "]";
  return TRUE;
}

// The process's top-level windows, for the message of a failed start.
std::string DescribeWindowsOf(DWORD processId) {
  std::pair<DWORD, std::string> seen(processId, {});
  EnumWindows(DescribeWindow, reinterpret_cast<LPARAM>(&seen));
  return seen.second.empty() ? " none" : seen.second;
}

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace

VellornSession::VellornSession() {
  Start(Options{});
}

VellornSession::VellornSession(const Options& options) {
  Start(options);
}

VellornSession::VellornSession(const std::string& folder) {
  Options options;
  options.folder = folder;
  Start(options);
}

void VellornSession::Start(const Options& options) {
  // Under Wine the desktop (a virtual one in the tests' prefix) is made for a
  // process on its first need; asking for it first puts the program on ours.
  GetDesktopWindow();
  m_folder = options.folder.empty() ? FreshFolderForCurrentTest() : options.folder;
  const std::string program =
      options.program.empty() ? ProgramPath("vellorn.exe") : options.program;
  if (!m_process.Launch(Quoted(program), m_folder)) {
    m_startError =
        "could not start " + program + " (error " + std::to_string(m_process.LaunchError()) + ")";
    return;
  }
  if (options.waitForWindow && !WaitForMainWindow(options.windowTimeoutMs)) {
    m_startError = std::string("no main window titled \"Vellorn\" appeared; ") +
                   (m_process.Running() ? "the program runs" : "the program ended") +
                   "; its top-level windows:" + DescribeWindowsOf(m_process.Id());
  }
}

VellornSession::~VellornSession() {
  if (!m_process.Running()) return;
  // Boxes first (their Cancel, else OK), so the window can close normally.
  for (int i = 0; i < 5; ++i) {
    const Box box = FindBox();
    if (!box) break;
    if (!AnswerBox(box,
                   box.HasButton(IDCANCEL) ? IDCANCEL
                   : box.HasButton(IDNO)   ? IDNO
                                           : IDOK,
                   2000)) {
      break;
    }
  }
  if (m_window) PostMessageA(m_window, WM_CLOSE, 0, 0);
  if (!m_process.WaitForExit(3000)) m_process.Terminate(1);
}

HWND VellornSession::FindMainWindow() const {
  MainWindowSearch search = {m_process.Id(), nullptr};
  EnumWindows(FindMainWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool VellornSession::WaitForMainWindow(unsigned timeoutMs) {
  WaitFor(
      [&] {
        m_window = FindMainWindow();
        return m_window != nullptr || !m_process.Running();
      },
      timeoutMs);
  return m_window != nullptr;
}

std::string VellornSession::Title() const {
  char title[256] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(m_window, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  return title;
}

std::string VellornSession::Log() const {
  const HWND output = Control(IDC_OUTPUT);
  DWORD_PTR length = 0;
  if (!output ||
      !SendMessageTimeoutA(output, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return {};
  }
  std::vector<char> text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(output, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  return std::string(text.data(), copied);
}

bool VellornSession::WaitForLog(const std::string& expected, unsigned timeoutMs) const {
  return WaitFor([&] { return Log() == expected; }, timeoutMs);
}

bool VellornSession::SelectRow(int row) const {
  const RemoteList list = List();
  list.Select(row);
  return list.SelectedRow() == row;
}

bool VellornSession::SelectProcess(DWORD processId) const {
  const int row = List().FindByData(static_cast<LPARAM>(processId));
  return row >= 0 && SelectRow(row);
}

POINT VellornSession::ClickRow(int row) const {
  const RemoteList list = List();
  list.EnsureVisible(row);
  const POINT at = PointInside(list.RowScreenRect(row), 10);
  LeftClickAt(at);
  return at;
}

void VellornSession::Command(WORD id) const {
  PostMessageA(m_window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

namespace {

bool SendAndWait(HWND window, UINT message, WPARAM wParam) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, message, wParam, 0, SMTO_ABORTIFHUNG, kDefaultTimeoutMs,
                             &result) != 0;
}

}  // namespace

bool VellornSession::Run(WORD id) const {
  return SendAndWait(m_window, WM_COMMAND, MAKEWPARAM(id, 0));
}

bool VellornSession::PressButton(int id) const {
  return SendAndWait(Control(id), BM_CLICK, 0);
}

bool VellornSession::Idle() const {
  return SendAndWait(m_window, WM_NULL, 0);
}

void VellornSession::SysCommand(WPARAM id) const {
  PostMessageA(m_window, WM_SYSCOMMAND, id, 0);
}

void VellornSession::ClickButton(int id) const {
  PostMessageA(Control(id), BM_CLICK, 0, 0);
}

bool VellornSession::PressKey(WORD virtualKey, WORD modifier) const {
  return PressKeyIn(m_window, virtualKey, modifier);
}

void VellornSession::FocusControl(int id) const {
  // WM_NEXTDLGCTL with a window handle moves the focus as the dialog's Tab does.
  SendMessageA(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

void VellornSession::Close() const {
  PostMessageA(m_window, WM_CLOSE, 0, 0);
}

bool VellornSession::ClickCloseBox() const {
  RECT frame = {};
  GetWindowRect(m_window, &frame);
  const int captionY =
      frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  // Walk the caption from the right edge until the close box answers the hit test.
  for (int x = frame.right - 2; x > frame.right - 80; --x) {
    const LRESULT hit = SendMessageA(m_window, WM_NCHITTEST, 0, MAKELPARAM(x, captionY));
    if (hit == HTCLOSE) {
      LeftClickAt(POINT{x - 4, captionY});
      return true;
    }
  }
  return false;
}

POINT VellornSession::RightClickRow(int row) const {
  const RemoteList list = List();
  list.EnsureVisible(row);
  const POINT at = PointInside(list.RowScreenRect(row), 10);
  RightClickAt(at);
  return at;
}

POINT VellornSession::RightClickEmptyListSpace() const {
  const RemoteList list = List();
  RECT client = {};
  GetClientRect(list.Window(), &client);
  MapWindowPoints(list.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int count = list.RowCount();
  POINT at = {client.left + 10, client.bottom - 4};
  if (count > 0) {
    const RECT last = list.RowScreenRect(count - 1);
    // Only below the last row if it ends inside the list; else the far right.
    if (last.bottom + 4 < client.bottom) {
      at.y = last.bottom + (client.bottom - last.bottom) / 2;
    } else {
      at = POINT{client.right - 4, client.top + 30};
    }
  }
  RightClickAt(at);
  return at;
}

POINT VellornSession::ClickHeading(int column) const {
  // The middle of the heading: near either edge a click grabs the divider
  // (Wine's divider zone is 10 px wide) and starts a resize instead.
  const RECT heading = List().HeaderItemScreenRect(column);
  const POINT at = PointInside(heading, (heading.right - heading.left) / 2);
  LeftClickAt(at);
  return at;
}

PopupMenu VellornSession::WaitForPopupMenu(unsigned timeoutMs) const {
  return e2e::WaitForPopupMenu(m_process.Id(), timeoutMs);
}

Box VellornSession::WaitForBox(const std::string& caption, unsigned timeoutMs) const {
  return e2e::WaitForBox(m_process.Id(), m_window, caption, timeoutMs);
}

Box VellornSession::FindBox() const {
  return e2e::FindBox(m_process.Id(), m_window);
}

int VellornSession::OpenBoxCount() const {
  BoxCount boxes = {m_process.Id(), m_window, 0};
  EnumWindows(CountBox, reinterpret_cast<LPARAM>(&boxes));
  return boxes.count;
}

bool VellornSession::WaitForRowCount(int count, unsigned timeoutMs) const {
  return WaitFor([&] { return List().RowCount() == count; }, timeoutMs);
}

}  // namespace e2e
