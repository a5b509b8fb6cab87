/* afxres.h - the framework's standard command, control and string ids.
 * Only #define lines: the resource compiler reads this file too. */
#ifndef VELMIRA_AFXRES_H
#define VELMIRA_AFXRES_H

/* File commands */
#define ID_FILE_NEW             0xE100  /* 57600 */
#define ID_FILE_OPEN            0xE101
#define ID_FILE_CLOSE           0xE102
#define ID_FILE_SAVE            0xE103
#define ID_FILE_SAVE_AS         0xE104
#define ID_FILE_PAGE_SETUP      0xE105
#define ID_FILE_PRINT_SETUP     0xE106
#define ID_FILE_PRINT           0xE107
#define ID_FILE_PRINT_DIRECT    0xE108
#define ID_FILE_PRINT_PREVIEW   0xE109
#define ID_FILE_MRU_FILE1       0xE110  /* 57616 */
#define ID_FILE_MRU_FILE16      0xE11F  /* 57631 */

/* Edit commands */
#define ID_EDIT_CLEAR           0xE120
#define ID_EDIT_CLEAR_ALL       0xE121
#define ID_EDIT_COPY            0xE122
#define ID_EDIT_CUT             0xE123
#define ID_EDIT_FIND            0xE124
#define ID_EDIT_PASTE           0xE125
#define ID_EDIT_REPEAT          0xE128
#define ID_EDIT_REPLACE         0xE129
#define ID_EDIT_SELECT_ALL      0xE12A
#define ID_EDIT_UNDO            0xE12B
#define ID_EDIT_REDO            0xE12C

/* Window commands */
#define ID_WINDOW_NEW           0xE130  /* 57648 */
#define ID_WINDOW_ARRANGE       0xE131
#define ID_WINDOW_CASCADE       0xE132
#define ID_WINDOW_TILE_HORZ     0xE133
#define ID_WINDOW_TILE_VERT     0xE134
#define ID_WINDOW_SPLIT         0xE135

/* Application and pane commands */
#define ID_APP_ABOUT            0xE140  /* 57664 */
#define ID_APP_EXIT             0xE141
#define ID_NEXT_PANE            0xE150  /* 57680 */
#define ID_PREV_PANE            0xE151

/* Control bars and views */
#define ID_VIEW_TOOLBAR         0xE800  /* 59392 */
#define ID_VIEW_STATUS_BAR      0xE801
#define AFX_IDW_TOOLBAR         0xE800
#define AFX_IDW_STATUS_BAR      0xE801
#define AFX_IDM_FIRST_MDICHILD  0xFF00  /* Window menu entries of the open windows */
#define AFX_IDW_PANE_FIRST      0xE900  /* 59648: the view inside a frame */
#define ID_SEPARATOR            0

/* Status bar indicators */
#define ID_INDICATOR_CAPS       0xE701  /* 59137 */
#define ID_INDICATOR_NUM        0xE702
#define ID_INDICATOR_SCRL       0xE703

/* Strings */
#define AFX_IDS_APP_TITLE       0xE000  /* 57344 */
#define AFX_IDS_IDLEMESSAGE     0xE001
#define AFX_IDS_SCSIZE          0xEF00  /* 61184: system-menu prompts */
#define AFX_IDS_SCMOVE          0xEF01
#define AFX_IDS_SCMINIMIZE      0xEF02
#define AFX_IDS_SCMAXIMIZE      0xEF03
#define AFX_IDS_SCNEXTWINDOW    0xEF04
#define AFX_IDS_SCPREVWINDOW    0xEF05
#define AFX_IDS_SCCLOSE         0xEF06
#define AFX_IDS_SCRESTORE       0xEF12
#define AFX_IDS_SCTASKLIST      0xEF13
#define AFX_IDS_MDICHILD        0xEF1F
#define AFX_IDS_PREVIEW_CLOSE   0xF005  /* 61445 */
#define AFX_ID_PREVIEW_CLOSE    0xF005  /* 61445: closes print preview */
#define AFX_ID_PREVIEW_NEXT     0xF006
#define AFX_ID_PREVIEW_PREV     0xF007

#endif
