// Ids of the controls test dialog.
#pragma once

#define IDD_CONTROLS_TEST 100
#define IDC_TEST_EDIT 1001
#define IDC_TEST_TICK 1002
#define IDC_TEST_HELP 1003
#define IDC_TEST_TEXT 1004
#define IDC_TEST_CROSS 1005
#define IDC_TEST_GRADIENT 1017

// The link label test dialog
#define IDD_LINK_TEST 200
#define IDC_LINK_LEFT 201
#define IDC_LINK_CENTER 202
#define IDC_LINK_RIGHT 203
#define IDC_LINK_EMPTY 204
