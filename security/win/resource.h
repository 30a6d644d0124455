// Resource identifiers of Tessary (shared by tessary.rc and the C++ code).
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDR_MAINFRAME 128  // the frame's menu (its first pop-up is the tray menu) and the tray icon
#define IDD_CHANGE_PASSWORD 132
#define IDD_SECURITY 133
#define IDD_UNLOCK 134
#define IDD_PARTITION 135

#define ID_STATUS_WINDOW 32772  // tray menu: open the main window
#define ID_APP_EXIT 0xE141

// Main window.
#define IDC_STATUS_LABEL 1008
#define IDC_STATUS_VALUE 1002
#define IDC_DEVICE_LABEL 1007
#define IDC_DEVICE_NAME 1041
#define IDC_PARTITION 1014
#define IDC_LOCK 1033
#define IDC_CHANGE_PASSWORD 1004
#define IDC_ERASE 3
#define IDC_CLOSE 1009
#define IDC_LOGO 1046
#define IDC_URL 1059
#define IDC_MINIMISE 1047
#define IDC_CLOSE_IMAGE 1048

// Partition dialog.
#define IDC_PARTITION_HEADING 1043
#define IDC_PRIVATE_LABEL 1028
#define IDC_PRIVATE_SIZE 1030
#define IDC_PUBLIC_LABEL 1027
#define IDC_PUBLIC_SIZE 1029
#define IDC_SLIDER 1018
#define IDC_PROGRESS 1032

// Change-password dialog.
#define IDC_CHANGE_HEADING 1044
#define IDC_OLD_LABEL 1010
#define IDC_OLD_PASSWORD 1000
#define IDC_NEW_LABEL 1011
#define IDC_NEW_PASSWORD 1001
#define IDC_CONFIRM_LABEL 1012
#define IDC_CONFIRM_PASSWORD 1002
#define IDC_HINT_LABEL 1037
#define IDC_HINT_EDIT 1038

// Unlock dialog.
#define IDC_UNLOCK_HEADING 1045
#define IDC_INPUT_LABEL 1013
#define IDC_PASSWORD 1005
#define IDC_UNLOCK_HINT_LABEL 1039
#define IDC_UNLOCK_HINT 1040
