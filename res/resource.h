// Resource ids of the program: the skins' BITMAP resources and the dialog templates.
// Shared by the C++ code and the generated resource script; res/generate.py draws one bitmap for
// every IDB_ name below (a skin module in res/skins/ registers its drawing under the name), so a
// new bitmap is one line here plus its drawing function.
// Plain #defines with decimal values: windres reads this file too.
#pragma once

// Window toolkit -------------------------------------------------------------------------------
#define IDB_CAPTION_BAR 109        // 1024 x 29, the main window's caption strip
#define IDB_CAPTION_CLOSE 111      // 2 frames of 23 x 21: normal, pressed
#define IDB_CAPTION_MINIMIZE 112   // 2 frames of 21 x 21: normal, pressed
#define IDB_BTN_BACK 146           // push buttons: 3 frames of 78 x 39 (normal, pressed, disabled)
#define IDB_BTN_CANCEL 147
#define IDB_BTN_NEXT 148
#define IDB_BTN_OK 149
#define IDB_DIALOG_BG 152          // 300 x 220, message boxes and dialogs
#define IDB_BTN_SKIP 223
#define IDB_BTN_NO 265
#define IDB_BTN_YES 266
#define IDB_CHECK_DONT_ASK 280     // 2 frames of 145 x 15: off, on; the label is in the image

#define IDD_MSGBOX 276             // borderless popup without controls; resized to its background

// Pages, dialogs and the program ---------------------------------------------------------------
#define IDB_PAGE_DSP 101           // 1024 x 704, the tuning page
#define IDB_TAB_BAR 110            // 1024 x 37, the strip under the caption
#define IDB_PAGE_LEVELS 133        // 1007 x 503, the output-level page (centred)
#define IDB_WIZARD_BG 145          // 300 x 380, the I/O wizard's ordinary steps
#define IDB_SPLASH 164             // 500 x 300, the start-up picture with the mode choice
#define IDB_CREDITS 169            // 500 x 300, the "Credits" picture
#define IDB_PAGE_SOURCES 174       // 1024 x 704, the external-source page
#define IDB_DYNEQ_BG 241           // 1019 x 483, the dynamic-equalisation dialog
#define IDB_TITLE_UPDATE 263       // dialog titles, 213 x 27, drawn over the header at (83, 0)
#define IDB_TITLE_SYNC 264
#define IDB_TITLE_EXIT 267
#define IDB_TITLE_SCAN 268
#define IDB_TITLE_FIRMWARE 275
#define IDB_QUESTION_STANDARD 278  // 300 x 220, the Standard-mode question drawn in the background
#define IDB_CAPTION_STANDARD 279   // 213 x 27, its caption
#define IDB_CAPTION_MSGBOX 281     // 213 x 27, the caption of the program's messages
#define IDB_FIRMWARE_CONFIRM 297   // 300 x 220, the firmware question drawn in the background
#define IDI_APP 171                // the program's icon, 32 and 16 pixels
#define IDI_APP_SMALL 172          // its small icon
#define IDD_SPLASH 165             // the start-up dialog: mode combobox 1001, focus button 1002

// Tuning page: channel map and car view ------------------------------------------------------
#define IDB_CHANNEL_MAP 103        // 314 x 296, the channel map's rows
#define IDB_CAR_VIEW 108           // 249 x 406, the car seen from above
#define IDB_ICON_WOOFER 129        // kind icons, 2 frames (selected, plain): 38 x 38, also Full
#define IDB_ICON_MIDRANGE 130      // 30 x 30
#define IDB_ICON_SUBWOOFER 131     // 56 x 43
#define IDB_ICON_TWEETER 132       // 23 x 23
#define IDB_ICON_SUB_R 220         // 56 x 43
#define IDB_ICON_SUB_L 221         // 56 x 43
#define IDB_PASSIVE_WMT_R 205      // passive-crossover icons, 2 frames (plain, selected): 49 x 90
#define IDB_PASSIVE_WMT_L 206      // 49 x 90
#define IDB_PASSIVE_MT_R 207       // 49 x 69
#define IDB_PASSIVE_MT_L 208       // 49 x 69
#define IDB_PASSIVE_WM_R 209       // 49 x 68
#define IDB_PASSIVE_WM_L 210       // 49 x 68
#define IDB_PASSIVE_WT_R 211       // 49 x 74
#define IDB_PASSIVE_WT_L 212       // 49 x 74
#define IDB_PASSIVE_WT_C 213       // 70 x 47
#define IDB_SEAT_0 282             // listening-point seats, 2 frames of 18 x 17 (off, on)
#define IDB_SEAT_2 283
#define IDB_SEAT_1 284
#define IDB_SEAT_3 285
#define IDC_PLUS 172               // 32 x 32 cursors: add to the selection
#define IDC_MINUS 173              //   and take from it
