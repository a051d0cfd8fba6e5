#pragma once
// Resource identifiers, shared by the program, its resource script and the tests.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_QUILLET_DIALOG 102
#define IDD_CONTROL 129
#define IDD_DWM 130
#define IDD_LOG 131
#define IDD_THUMBNAIL 132

// Icon group and strings
#define IDR_MAINFRAME 128
#define IDS_ABOUTBOX 101

// System-menu command of the About item
#define IDM_ABOUTBOX 0x0010

// Log panel
#define IDC_LOG_LIST 1000

// Composition status panel
#define IDC_OS_VERSION 1001
#define IDC_OS_VERSION_LABEL 1002
#define IDC_COMPOSITION_STATE 1003
#define IDC_REFRESH_STATUS 1004
#define IDC_AUTO_REFRESH 1005
#define IDC_COMPOSITION_ENABLE 1006
#define IDC_COMPOSITION_DISABLE 1007
#define IDC_COLORIZATION 1008

// Main dialog and About box
#define IDC_HOMEPAGE_LINK 1030
#define IDC_VERSION_TEXT 1048
