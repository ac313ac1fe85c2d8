// Resource ids of Vellorn's templates, menus, strings and icon.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDR_MAIN_MENU 129
#define IDR_CONTEXT_MENU 130

#define IDC_REFRESH 1003
#define IDC_PROCESS_LIST 1006
#define IDC_OUTPUT 1009

// About box lines below the version line
#define IDC_ABOUT_YEAR 1010
#define IDC_ABOUT_TERMS 1011
#define IDC_ABOUT_WEB 1012

#define IDM_ABOUTBOX 0x0010

#define ID_CONTEXT_DUMP 32775
#define ID_PROCESS_DUMP 32776
#define ID_PROCESS_NEW 32778
#define ID_PROCESS_END 32779
#define ID_CONTEXT_END 32781
#define ID_HELP_ABOUT 32783
#define ID_PROCESS_REFRESH 32784

#define ID_APP_EXIT 57602
