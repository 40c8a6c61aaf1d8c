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
