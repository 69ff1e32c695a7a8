// Resource and control ids shared by scrivlet.rc and the code. The numbers are
// fixed: stored files, the shell and the help-text lookup depend on them.
#pragma once

// Icons
#define IDI_APPLICATION_ICON 103
#define IDI_DOCUMENT_ICON 104
#define IDI_SAVED_ICON 129
#define IDI_UNSAVED_ICON 130

// Menu and accelerators
#define IDR_MAINMENU 120
#define IDR_ACCELERATORS 174

// Toolbar bitmaps and their masks
#define IDB_NEW 116
#define IDB_OPEN 117
#define IDB_PRINT 119
#define IDB_CUT 122
#define IDB_COPY 123
#define IDB_PASTE 124
#define IDB_SAVE 125
#define IDB_ONTOP 126
#define IDB_FIND 127
#define IDB_NEW_MASK 154
#define IDB_OPEN_MASK 155
#define IDB_SAVE_MASK 157
#define IDB_PRINT_MASK 159
#define IDB_CUT_MASK 162
#define IDB_COPY_MASK 164
#define IDB_PASTE_MASK 166
#define IDB_FIND_MASK 168
#define IDB_ONTOP_MASK 170
// The same pictures and masks drawn at 24 and 32 pixels: their ids plus these.
#define IDB_AT_24 1000
#define IDB_AT_32 2000

// Children of the main window
#define IDC_STATUSBAR 105
#define IDC_EDIT 106
#define IDC_TOOLBAR 107

// Commands: menu items, accelerators, toolbar buttons and their help strings
#define IDM_STAYONTOP 39999
#define IDM_NEW 40001
#define IDM_NEWWINDOW 40002
#define IDM_OPEN 40003
#define IDM_SAVE 40004
#define IDM_SAVEAS 40005
#define IDM_PRINT 40006
#define IDM_EXIT 40007
#define IDM_UNDO 40008
#define IDM_CUT 40009
#define IDM_COPY 40010
#define IDM_PASTE 40011
#define IDM_FINDREPLACE 40012
#define IDM_FORECOLOR 40014
#define IDM_BACKCOLOR 40015
#define IDM_FONT 40016
#define IDM_PROPERTIES 40017
#define IDM_RECENT1 40018
#define IDM_RECENT2 40019
#define IDM_RECENT3 40020
#define IDM_RECENT4 40021
#define IDM_RECENTEMPTY 40022
#define IDM_SELECTALL 40023
#define IDM_INSERTDATETIME 40024
#define IDM_SETTINGS 40025
#define IDM_GOTOLINE 40026
#define IDM_WORDWRAP 40027
#define IDM_ABOUT 40028
#define IDM_TAB 40029
#define IDM_FINDNEXT 40030
#define IDM_FINDPREVIOUS 40031
#define IDM_ZOOMIN 40032
#define IDM_ZOOMOUT 40033
#define IDM_ZOOMRESTORE 40034

// Find and Replace dialog
#define IDD_FINDREPLACE 131
#define IDC_CASESENSITIVE 1002
#define IDC_WHOLEWORD 1003
#define IDC_WRAPAROUND 1004
#define IDC_UP 1005
#define IDC_FINDNEXT 1006
#define IDC_REPLACE 1007
#define IDC_REPLACEALL 1008
#define IDC_FINDTEXT 1009
#define IDC_DOWN 1010
#define IDC_REPLACETEXT 10010

// Go to line dialog
#define IDD_GOTOLINE 173
#define IDC_LINENUMBER 1026

// Insert time/date dialog
#define IDD_INSERTDATETIME 171
#define IDC_FORMATLIST 1021

// Settings dialog
#define IDD_SETTINGS 172
#define IDC_OPACITY 1025
#define IDC_ASSOCIATE 1027

// About dialog and its logo texture (resource type "TEXTURE")
#define IDD_ABOUT 176
#define IDC_LOGO 1028
#define IDC_ABOUTTEXT 1029
#define IDR_LOGO_TEXTURE 181

// Printing commands
#define IDM_PAGESETUP 40100
#define IDM_HEADERFOOTER 40101
#define IDM_PRINTPREVIEW 40102

// Header and Footer dialog
#define IDD_HEADERFOOTER 190
#define IDC_HEADERTEXT 1040
#define IDC_FOOTERTEXT 1041

// Progress of a long task: printing, opening a large file
#define IDD_PROGRESS 191
#define IDC_PROGRESSTEXT 1042

// Print Preview window
#define IDC_PREVIEWPREVIOUS 1050
#define IDC_PREVIEWNEXT 1051
#define IDC_PREVIEWPAGENUMBER 1052
#define IDC_PREVIEWZOOM 1053
#define IDC_PREVIEWPRINT 1054
#define IDC_PREVIEWSHEET 1055
