/* Identifiers of the demo editor: menu commands, dialogs, child windows and the
 * parts of the status bar. Plain #defines, read by the resource script, the demo's
 * code and the test that drives the demo (tests/win/DemoEditorTest.cpp).
 *
 * The View menu's items carry the control's own message numbers (EMX_TOGGLESPLIT,
 * EMX_TOGGLELINENUMBERS, EMX_UNFOLDALL from quorvane.h): the main window passes those
 * WM_COMMANDs on to the control unchanged. */
#ifndef QUORVANE_DEMO_IDS_H
#define QUORVANE_DEMO_IDS_H

/* Resources */
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 101
#define IDR_SAMPLE 102 /* the built-in sample source, RCDATA */
#define IDR_CONTEXTMENU 103 /* the right-click menu: the commands below */
#define IDD_GOTOLINE 110
#define IDC_LINE_PROMPT 111
#define IDC_LINE_NUMBER 112

/* Child windows of the main window */
#define ID_EDITOR 200
#define ID_STATUSBAR 201

/* File */
#define IDM_NEW 1001
#define IDM_OPEN 1002
#define IDM_SAVE 1003
#define IDM_SAVEAS 1004
#define IDM_EXIT 1005

/* Edit */
#define IDM_UNDO 1101
#define IDM_REDO 1102
#define IDM_CUT 1103
#define IDM_COPY 1104
#define IDM_PASTE 1105
#define IDM_DELETE 1106
#define IDM_SELECTALL 1107

/* Search */
#define IDM_FIND 1201
#define IDM_FINDNEXT 1202
#define IDM_FINDPREVIOUS 1203
#define IDM_REPLACE 1204
#define IDM_GOTOLINE 1205

/* Bookmarks */
#define IDM_TOGGLEBOOKMARK 1301
#define IDM_NEXTBOOKMARK 1302
#define IDM_PREVIOUSBOOKMARK 1303
#define IDM_CLEARBOOKMARKS 1304

/* View (besides the control's own numbers) */
#define IDM_TOGGLEFOLD 1401
#define IDM_FOLDALL 1402

/* Help */
#define IDM_ABOUT 1501

/* Status bar parts, left to right */
#define STATUS_MESSAGE 0  /* what the last command did */
#define STATUS_POSITION 1 /* "Ln 12, Col 5" */
#define STATUS_MODIFIED 2 /* "Modified" or empty */
#define STATUS_MODE 3     /* "INS" or "OVR" */
#define STATUS_PARTS 4

#endif
