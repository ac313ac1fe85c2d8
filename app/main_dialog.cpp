// The main window's life: construction, initialisation, painting, teardown.
// Its command table is in main_dialog_commands.cpp.
#include "app/main_dialog.h"

#include "platform/app.h"
#include "platform/dpi.h"
#include "platform/menu.h"
#include "platform/paint_dc.h"
#include "resources/resource.h"

CMainDialog::CMainDialog(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_hIcon(AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr),
      m_sortAscending(true),
      m_listFilledAt(0),
      m_columnDpi(kDefaultDpi) {}

CMainDialog::~CMainDialog() {
  DisableDebugPrivilege();
}

void CMainDialog::DoDataExchange(CDataExchange* exchange) {
  CDialog::DoDataExchange(exchange);
  m_toolTip.Create(&m_processList, 0);
  m_toolTip.AddTool(GetDlgItem(IDC_PROCESS_LIST), "Right click for context menu");
  DDX_Control(exchange, IDC_PROCESS_LIST, m_processList);
  PrepareProcessList();
  FillProcessList();
  DDX_Control(exchange, IDC_OUTPUT, m_output);
  m_output.SetWindowText("Output....\r\n");
}

BOOL CMainDialog::OnInitDialog() {
  CDialog::OnInitDialog();

  if (HMENU systemMenu = GetSystemMenu(FALSE)) {
    CString aboutItem;
    aboutItem.LoadString(IDS_ABOUTBOX);
    if (!aboutItem.IsEmpty()) {
      CMenu menu = CMenu::FromHandle(systemMenu);
      menu.AppendMenu(MF_SEPARATOR);
      menu.AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutItem);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  EnableDebugPrivilege();
  return TRUE;
}

POINT MinimizedIconPosition(const RECT& client, int iconWidth, int iconHeight) {
  const int clientWidth = client.right - client.left;
  const int clientHeight = client.bottom - client.top;
  return POINT{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

void CMainDialog::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  const int iconWidth = ui::SystemMetric(SM_CXICON);
  const int iconHeight = ui::SystemMetric(SM_CYICON);
  RECT client;
  GetClientRect(&client);
  const POINT at = MinimizedIconPosition(client, iconWidth, iconHeight);
  dc.DrawIcon(at.x, at.y, m_hIcon);
}

HCURSOR CMainDialog::OnQueryDragIcon() {
  return static_cast<HCURSOR>(m_hIcon);
}

void CMainDialog::OnDpiChanged(UINT dpi, const RECT*) {
  // The columns keep the widths they have, the user's own included, at the
  // new scale.
  for (int column = 0; column < m_processList.GetColumnCount(); ++column) {
    m_processList.SetColumnWidth(
        column, ScaleForDpi(m_processList.GetColumnWidth(column), m_columnDpi, dpi));
  }
  m_columnDpi = dpi;
  // The system's own handling places the window and scales the dialog.
  Default();
}
