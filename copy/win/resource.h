// Resource identifiers of Corvex (shared by corvex.rc and the C++ code).
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDR_MAINFRAME 128      // the frame's menu; its first pop-up is the tray menu
#define IDI_TRAY 130           // the tray icon
#define IDD_ABOUTBOX 100       // the about box
#define IDD_DISK_OVERVIEW 102  // the configuration window (disk overview)
#define IDD_ARRANGE_TASKS 103  // the arrange dialog: the task list of one disk
#define IDD_EDIT_TASK 104      // the edit dialog: one task
#define IDD_ACTIVE_LIST 105    // the active list dialog
#define IDD_BROWSE_FOLDER 106  // the browse dialog
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

// About box and disk overview controls.
#define IDC_ABOUT_VERSION 1100
#define IDC_ABOUT_NOTICE 1101
#define IDC_COMPUTER_NAME_LABEL 1036
#define IDC_COMPUTER_NAME 1000
#define IDC_DISK_LIST_LABEL 1037
#define IDC_DISK_TREE 1001
#define IDC_TASK_BUTTON 1002
#define IDC_EXECUTE_BUTTON 1031
#define IDC_BACKUP_BUTTON 1032
#define IDC_RESTORE_BUTTON 1033

// Arrange dialog controls (also the commands of its right-click menu).
#define IDC_TASK_ROWS 1004
#define IDC_NEW_TASKS 1005
#define IDC_SAVE_TASKS 1006
#define IDC_ADD_TASK 1021
#define IDC_DELETE_TASK 1022
#define IDC_MODIFY_TASK 1023
#define IDC_ACTIVE_LIST_BUTTON 1024

// Edit dialog controls (the path labels are IDC_SOURCE_LABEL and
// IDC_DESTINATION_LABEL, as in the progress dialog).
#define IDC_SOURCE_EDIT 1008
#define IDC_SOURCE_BROWSE 1009
#define IDC_DESTINATION_EDIT 1010
#define IDC_DESTINATION_BROWSE 1011
#define IDC_ATTRIBUTE_GROUP 1038
#define IDC_SUBDIR_CHECK 1012
#define IDC_ACTIVE_CHECK 1013
#define IDC_OVERWRITE_CHECK 1014
#define IDC_NEWER_CHECK 1015
#define IDC_DIRECTION_GROUP 1039
#define IDC_BACKUP_RADIO 1028
#define IDC_RESTORE_RADIO 1029
#define IDC_SYNC_RADIO 1030

// Active list dialog controls.
#define IDC_ACTIVE_ROWS 1024
#define IDC_INACTIVE_ROWS 1025
#define IDC_ACTIVE_LABEL 1033
#define IDC_INACTIVE_LABEL 1034
#define IDC_MOVE_TO_INACTIVE 3
#define IDC_MOVE_TO_ACTIVE 4

// Browse dialog controls.
#define IDC_FOLDER_TREE 1014
#define IDC_DIRECTORY_LABEL 1035
