/* Resource and control ids, shared by resources/torven.rc and the code.
   Plain #defines only: windres reads this file too. */
#ifndef GC_RESOURCE_IDS_H
#define GC_RESOURCE_IDS_H

/* Dialogs */
#define IDD_ABOUT 100
#define IDD_MAIN 129
#define IDD_ADD_PRINTER 130
#define IDD_ADD_TO_LIST 134
#define IDD_SEARCH_PRINTER 142
#define IDD_TEST_MACRO 144
#define IDD_ERROR_CHOICE 168
#define IDD_PROGRESS 174

/* Icons, bitmap, accelerators */
#define IDI_APP 139
#define IDI_ITEM 140
#define IDB_ABOUT 1056
#define IDR_ABOUT_KEYS 1057

/* Strings the shell itself uses (the whole table is resources/messages.inc) */
#define IDS_WINSOCK_FAILURE 103
#define IDS_PRODUCT_NAME 105
#define IDS_COLUMN_NAME 124
#define IDS_COLUMN_TYPE 125
#define IDS_COLUMN_ID 126
#define IDS_NO_MEMORY 155
#define IDS_APP_TITLE 157
#define IDS_CONFIG_MISSING 169
#define IDS_LIBRARY_MISSING 170
#define IDS_LENGTH_LIMIT 61716

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Main window (dialog 129) */
#define IDC_CLOSE 1
#define IDC_REMOVE_PRINTER 1011
#define IDC_ITEM_LIST 1012
#define IDC_ADD_TO_LIST 1013
#define IDC_REMOVE_FROM_LIST 1014
#define IDC_ABOUT 1017
#define IDC_DELETE_ALL 1018
#define IDC_EXPORT_TO_FILE 1019
#define IDC_DOWNLOAD 1020
#define IDC_DOWNLOAD_FILE 1022
#define IDC_PRINTER_LIST 1023
#define IDC_ADD_PRINTER 1024
#define IDC_PRINT_SAMPLE 1026
#define IDC_CHARS_PER_LINE_LABEL 1028
#define IDC_CHARS_PER_LINE 1029
#define IDC_SEARCH_PRINTER 1030
#define IDC_HIDDEN_DEFAULT 1032
#define IDC_EXPORT_SETTING 1033
#define IDC_IMPORT_SETTING 1034
#define IDC_TEST_MACRO 1035
#define IDC_HELP_BUTTON 1039

/* Add printer (130) */
#define IDC_PRINTER_ADDRESS 1003

/* Add to list (134) and Test macro (144) */
#define IDC_AS_FONT 1001
#define IDC_AS_MACRO 1002
#define IDC_CONTROL_ID 1004
#define IDC_CONTROL_ID_LABEL 1005
#define IDC_DOWNLOAD_NAME 1025

/* Search printer (142) */
#define IDC_FOUND_PRINTERS 1031

/* Ignore / Ignore all / Stop (168) */
#define IDC_IGNORE_ALL 1037
#define IDC_ERROR_TEXT 1040
#define IDC_ERROR_ICON 1041

/* Progress (174) */
#define IDC_PROGRESS_TEXT 1042

/* About (100) */
#define IDC_ABOUT_VERSION 1050
#define IDC_ABOUT_NOTICE 1051
#define IDC_ABOUT_PRODUCT 1052
#define IDC_ABOUT_PICTURE 1053
#define IDC_ABOUT_LINK 1054

#endif
