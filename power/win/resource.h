// Resource identifiers of Dormel (shared by dormel.rc and the C++ code). The
// pictures and sounds come from the build's artwork (art.rc) under the same
// numbers.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDR_MAINFRAME 128   // the frame's menu and the program icon
#define IDI_TRAY 143        // the tray icon
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101    // the About entry of the settings dialog's system menu
#define IDD_SETTINGS 102    // the settings dialog

#define IDB_SETTINGS 132        // the settings dialog's background and shape
#define IDB_PUSH_FACE 133       // Save, Exit and Default
#define IDB_CLOSE 135
#define IDB_MINIMISE 137
#define IDB_SWITCH_OFF 138      // the on/off buttons when not pressed or checked
#define IDB_SWITCH_ON 139       // the on/off buttons when pressed or checked
#define IDW_BUTTON_SOUND 141

#define ID_SETTINGS 32771  // tray menu: Set
#define ID_APP_EXIT 57665  // tray menu: Exit
#define IDM_ABOUTBOX 16    // system menu: About

// Settings dialog controls.
#define IDC_DEFAULT 1013
#define IDC_STANDBY_LIST 1010
#define IDC_STANDBY_LABEL 1016
#define IDC_APM_HEADING 1014
#define IDC_SPM_HEADING 1015
#define IDC_SPM_ON 1025
#define IDC_SPM_OFF 1026
#define IDC_ON_LABEL 1027
#define IDC_OFF_LABEL 1028
#define IDC_LOGO 1018
#define IDC_WEB_ADDRESS 1044
#define IDC_MINIMISE 1019
#define IDC_CLOSE 1020

// About box.
#define IDC_ABOUT_VERSION 1100
#define IDC_ABOUT_NOTICE 1101
