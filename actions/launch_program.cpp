// New Process: start a program picked in the file-open dialog.
#include "actions/launch_program.h"

#include "app/main_dialog.h"
#include "platform/file_dialog.h"
#include "platform/handles.h"
#include "platform/string.h"

#include <cstring>

ProcessHandle LaunchProgram(HWND owner, const char* file, const char* parameters) {
  SHELLEXECUTEINFOA info;
  std::memset(&info, 0, sizeof(info));
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  // Its error box is then modal to the owner, like every box of the program.
  info.hwnd = owner;
  info.lpFile = file;
  info.lpParameters = parameters;
  info.nShow = SW_HIDE;
  if (!sys::ShellExecuteExA(&info)) return ProcessHandle();
  return ProcessHandle(info.hProcess);
}

void CMainDialog::OnNewProcess() {
  CFileDialog dialog(
      TRUE, nullptr, "*.exe;*.bat;*.com", OFN_FILEMUSTEXIST | OFN_NOREADONLYRETURN | OFN_LONGNAMES,
      "Executable Files (*.exe,*.bat,*.com)|*.exe;*.bat;*.com|All Files (*.*)|*.*||");
  if (dialog.DoModal() != IDOK) return;

  const CString path = dialog.GetPathName();
  AppendOutput("Creating process...\r\n");
  AppendOutput(path + "\r\n");
  // Whether the program started is not reported; its handle is not needed.
  const ProcessHandle process = LaunchProgram(m_hWnd, path, "");
}
