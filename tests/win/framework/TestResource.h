// Ids of the framework tests' own dialog.
#pragma once

#define IDD_FRAMEWORK_TEST 900
#define IDC_TEST_EDIT 901
#define IDC_TEST_CHECK 902
#define IDC_TEST_OWNERDRAW 903
#define IDC_TEST_LABEL 904
#define IDC_TEST_BUTTON 905
