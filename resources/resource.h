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
