// Resource ids of Torvan.exe. Numbers are fixed: dialogs, controls and
// bitmaps are referred to by them throughout the program.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Progress window
#define IDD_PROGRESS 140
#define IDC_PROGRESS_BAR 1017
#define IDC_ELAPSED 1018

// Main window
#define IDR_MAINFRAME 128  // the program's icon
#define IDS_ABOUTBOX 101   // "关于 Torvan(&A)...": its presence trims the system menu
#define IDD_TORVAN_DIALOG 102
#define IDC_BROWSE_FOLDER 1000
#define IDC_FOLDER 1002
#define IDC_GZIP 1003
#define IDC_BROWSE_ARCHIVE 1005
#define IDC_ARCHIVE 1006
#define IDC_EXIT 1011
#define IDC_ABOUT 1015
#define IDC_INTEGRATION 1016
#define IDC_UNPACK 2222
#ifndef ID_HELP
#define ID_HELP 57670
#endif

// Button images (generated from resources/bitmaps/*.txt)
#define IDB_CROSS_REST 138
#define IDB_CROSS_HOT 139
#define IDB_TICK_HOT 142
#define IDB_HELP 143
#define IDB_TICK_REST 144

// About box and Explorer integration setup
#define IDD_ABOUTBOX 100
#define IDC_ABOUT_NOTICE 1013
#define IDD_INTEGRATION 145
#define IDC_INTEGRATE 1019
#define IDC_UNINTEGRATE 1020
