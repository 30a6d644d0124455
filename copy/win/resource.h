// Resource identifiers of Corvex (shared by corvex.rc and the C++ code).
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDR_MAINFRAME 128      // the frame's menu; its first pop-up is the tray menu
#define IDI_TRAY 130           // the tray icon
#define IDD_ABOUTBOX 100       // the about box
#define IDD_DISK_LIST 102      // the configuration window (disk list)
#define IDD_COPY_PROGRESS 131  // the progress dialog of a copy run

#define ID_CONFIGURATION 32771  // tray menu: Configuration
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_HELP 0xE146

// Progress dialog controls.
#define IDC_SOURCE_LABEL 1040
#define IDC_DESTINATION_LABEL 1041
#define IDC_STATUS_LABEL 1042
#define IDC_PROGRESS_LABEL 1043
#define IDC_FROM_TEXT 1016
#define IDC_TO_TEXT 1017
#define IDC_FILE_TEXT 1020
#define IDC_PROGRESS_BAR 1018

// About box and disk list controls.
#define IDC_ABOUT_VERSION 1100
#define IDC_ABOUT_NOTICE 1101
#define IDC_COMPUTER_NAME_LABEL 1036
#define IDC_COMPUTER_NAME 1000
#define IDC_DISK_LIST_LABEL 1037
#define IDC_DISK_TREE 1001
