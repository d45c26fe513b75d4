/* Identifiers shared by the language libraries (English.rc, Japanese.rc) and the
 * program: dialog templates, the controls inside them, and the string identifiers
 * that are not command numbers.
 *
 * Preprocessor definitions only: windres and the C++ compiler both read this file.
 *
 * A command's text is the string whose identifier is the command number itself
 * (IDS_CMD_*, equal to the program's CMD_* numbers); the list of every string a
 * library must hold is string_ids.inc. IDOK (1) and IDCANCEL (2) are the
 * platform's own button identifiers. */
#ifndef PAGEWICK_RES_LANG_IDS_H
#define PAGEWICK_RES_LANG_IDS_H

/* The marker: raw-data resource 1, "Pagewick" and a zero byte. */
#define IDR_LANGUAGE_MARKER 1

/* Dialog templates. */
#define IDD_KEYS 2000
#define IDD_LANGUAGE 2100
#define IDD_FAVOURITES 2200
#define IDD_BOOKMARKS 2300
#define IDD_NOTICE 2400
#define IDD_OPTIONS 2500
#define IDD_PANE_DELAY 2600
#define IDD_RAR_PASSWORD 2700

/* Static texts that the program never addresses. */
#define IDC_STATIC_TEXT (-1)

/* Key and mouse bindings (IDD_KEYS). */
#define IDC_KEYS_LIST 2020        /* list view: command, key, mouse */
#define IDC_KEYS_KEY_NAMES 2021   /* list box of key names, keys page */
#define IDC_KEYS_MOUSE_NAMES 2022 /* list box of mouse actions, mouse page */
#define IDC_KEYS_PAGE_KEYS 2030   /* radio button */
#define IDC_KEYS_PAGE_MOUSE 2031  /* radio button */
#define IDC_KEYS_CTRL 2040        /* check box */
#define IDC_KEYS_SHIFT 2041       /* check box */
#define IDC_KEYS_ASSIGN 2050
#define IDC_KEYS_REMOVE 2051
#define IDC_KEYS_DEFAULTS 2052
#define IDC_KEYS_CLOSE 2053

/* Language choice (IDD_LANGUAGE). */
#define IDC_LANGUAGE_LIST 2111 /* owner-drawn drop-down list with strings */

/* Favourite folders (IDD_FAVOURITES): ten rows, row i = 0..9. */
#define IDC_FAVOURITE_EDIT_FIRST 2210   /* edits 2210..2219 */
#define IDC_FAVOURITE_BROWSE_FIRST 2230 /* buttons 2230..2239 */
#define IDC_FAVOURITE_CLEAR_FIRST 2250  /* buttons 2250..2259 */
#define FAVOURITE_ROWS 10

/* Bookmarks (IDD_BOOKMARKS): twenty rows, row i = 0..19. */
#define IDC_BOOKMARKS_CLEAR_ALL 2305
#define IDC_BOOKMARK_EDIT_FIRST 2310  /* read-only edits 2310..2329 */
#define IDC_BOOKMARK_CLEAR_FIRST 2340 /* buttons 2340..2359 */
#define BOOKMARK_ROWS 20

/* Notice shown at start (IDD_NOTICE). */
#define IDC_NOTICE_DONT_SHOW 2401 /* check box */

/* Options (IDD_OPTIONS). */
#define IDC_OPTIONS_PLUGIN_FOLDER 2510 /* edit; its grey hint is string 2510 */
#define IDC_OPTIONS_BROWSE 2520
#define IDC_OPTIONS_CLEAR 2530
#define IDC_OPTIONS_PLUGIN_LIST 2540 /* list view with check boxes */

/* Auto-hide delay of the browser pane (IDD_PANE_DELAY). */
#define IDC_PANE_DELAY_EDIT 2620 /* milliseconds, at most 4 digits */

/* Password of a RAR archive (IDD_RAR_PASSWORD). */
#define IDC_RAR_PASSWORD_EDIT 2701

/* Command texts: the identifier is the command number. */
#define IDS_CMD_MENU_MAIN 5000
#define IDS_CMD_MENU_FOLDERS 5010
#define IDS_CMD_MENU_BOOKMARKS 5020
#define IDS_CMD_PREV_PAGE 5030
#define IDS_CMD_NEXT_PAGE 5031
#define IDS_CMD_FIRST_PAGE 5040
#define IDS_CMD_LAST_PAGE 5041
#define IDS_CMD_PREV_SPREAD 5042
#define IDS_CMD_NEXT_SPREAD 5043
#define IDS_CMD_BACK_20 5044
#define IDS_CMD_FORWARD_20 5045
#define IDS_CMD_TOGGLE_LOUPE 5050
#define IDS_CMD_TOGGLE_FULL_SCREEN 5060
#define IDS_CMD_MINIMIZE 5061
#define IDS_CMD_CLOSE 5062
#define IDS_CMD_GOTO_PAGE 5100
#define IDS_CMD_RELOAD_PAGE 5101
#define IDS_CMD_OPEN 5500
#define IDS_CMD_EDIT_FOLDERS 5501
#define IDS_CMD_FOLDER_1 5510 /* .. 5519: computed item texts; these are fallbacks */
#define IDS_CMD_ADD_BOOKMARK 5700
#define IDS_CMD_EDIT_BOOKMARKS 5701
#define IDS_CMD_RESUME 5710
#define IDS_CMD_BOOKMARK_1 5720 /* .. 5739 */
#define IDS_MENU_HISTORY 6000
#define IDS_CMD_CLEAR_HISTORY 6001
#define IDS_CMD_RECENT_1 6010 /* .. 6019 */
#define IDS_CMD_TOGGLE_SPREAD 6100
#define IDS_CMD_TOGGLE_RIGHT_TO_LEFT 6101
#define IDS_CMD_TOGGLE_FULL_SCREEN_BAR 6200
#define IDS_MENU_PANE 6205
#define IDS_CMD_PANE_AUTO 6206
#define IDS_CMD_PANE_SHOW 6207
#define IDS_CMD_PANE_HIDE 6208
#define IDS_CMD_PANE_DELAY 6209
#define IDS_MENU_SCALING 6210
#define IDS_CMD_SCALE_FAST 6211
#define IDS_CMD_SCALE_SMOOTH 6212
#define IDS_MENU_BACKGROUND 6220
#define IDS_CMD_BACKGROUND_1 6221 /* .. 6225: white, light grey, grey, dark grey, black */
#define IDS_CMD_TOGGLE_ENLARGE 6230
#define IDS_CMD_KEY_SETTINGS 6300
#define IDS_CMD_OPTIONS 6301
#define IDS_CMD_LANGUAGE 6302
#define IDS_MENU_HELP 6400
#define IDS_CMD_SHOW_NOTICE 6401
#define IDS_CMD_ABOUT 6402 /* also the about window's title */
#define IDS_CMD_HELP 6403

/* Browser pane context menus; 7050, 7060 and 7061 also caption the progress window,
 * and item 7110 shows string 7030. */
#define IDS_PANE_REGISTER 7010
#define IDS_PANE_UNREGISTER 7011
#define IDS_PANE_SHOW_HIDDEN 7020
#define IDS_PANE_EXPAND_AT_START 7025
#define IDS_PANE_FILE_MANAGER 7030
#define IDS_PANE_SHOW_FILES 7040
#define IDS_PANE_EXTRACT 7050
#define IDS_PANE_PACK_STORED 7060
#define IDS_PANE_PACK_DEFLATED 7061
#define IDS_LIST_DELETE 7100
#define IDS_LIST_COPY_NAME 7101

/* Dialog-related strings. */
#define IDS_KEYS_DEFAULTS_CAPTION 2052 /* caption of the restore question 20108 */
#define IDS_OPTIONS_FOLDER_HINT 2510   /* grey hint in the empty plug-in folder edit */
#define IDS_FONT_FACE 20000            /* interface font face, at most 31 characters */
#define IDS_KEYS_COLUMN_COMMAND 20100
#define IDS_KEYS_COLUMN_KEY 20101
#define IDS_KEYS_COLUMN_MOUSE 20102
#define IDS_KEYS_MESSAGE_CAPTION 20103
#define IDS_KEYS_IN_USE 20104
#define IDS_KEYS_NOTHING_CHOSEN 20105
#define IDS_KEYS_NO_ROW 20106
#define IDS_KEYS_DEFAULTS_QUESTION 20108
#define IDS_MOUSE_ACTION_FIRST 20200 /* .. 20211, in the order of mouseActions */
#define MOUSE_ACTION_COUNT 12
#define IDS_PLUGIN_FOLDER_CHOOSER 20500 /* followed directly by the current folder */
#define IDS_JOB_FOLDER_CHOOSER 20510
#define IDS_JOB_CANCEL 20511
#define IDS_REGISTERED_FOLDERS 20520
#define IDS_TAB_FOLDERS 20530
#define IDS_TAB_FILES 20531
#define IDS_PLUGIN_COLUMN_FILE 20600
#define IDS_PLUGIN_COLUMN_EXTENSIONS 20601
#define IDS_PLUGIN_COLUMN_DESCRIPTION 20602

/* Open-file dialog filter labels. */
#define IDS_FILTER_SUPPORTED 21000
#define IDS_FILTER_ZIP 21001
#define IDS_FILTER_BMP 21002
#define IDS_FILTER_PNG 21003
#define IDS_FILTER_JPEG 21004
#define IDS_FILTER_TIFF 21005
#define IDS_FILTER_GIF 21006
#define IDS_FILTER_ALL 21007
#define IDS_FILTER_PLUGINS 21008 /* the program appends " (patterns)" */
#define IDS_FILTER_RAR 21009

/* Error messages: 30000 captions 30001..30005; 50000 captions 50001..50024, and
 * the texts of 50011 and above are shown after the text of 50007. */
#define IDS_ERROR_CAPTION 30000
#define IDS_ERROR_OPEN 30001
#define IDS_ERROR_PAGE 30002 /* also drawn in the view where a page failed */
#define IDS_ERROR_FILE_MANAGER 30003
#define IDS_ERROR_EXTRACT 30004
#define IDS_ERROR_PACK 30005
#define IDS_PICTURE_ERROR_CAPTION 50000
#define IDS_PICTURE_ERROR_FIRST 50001 /* .. 50024 */
#define IDS_PICTURE_ERROR_DAMAGED 50007

#endif
