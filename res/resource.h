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
#define IDB_BAR_SYNC 256           // the dialogs' bars: empty bar over full bar, 264 x 2 x 12
#define IDB_BAR_UPDATE 262
#define IDB_SYNC_FAILED_BG 301     // 392 x 480, the read-back's failure face with its advice
#define IDB_EXIT_SAVE_QUESTION 271 // question images drawn on skin 152: offline exit
#define IDB_FINALIZE_WARNING 272   //   FINALIZE from the menu
#define IDB_EXIT_FINALIZE_QUESTION 288 //   online exit
#define IDB_QUESTION_STANDARD 278  // 300 x 220, the Standard-mode question drawn in the background
#define IDB_CAPTION_STANDARD 279   // 213 x 27, its caption
#define IDB_CAPTION_MSGBOX 281     // 213 x 27, the caption of the program's messages
#define IDB_FIRMWARE_CONFIRM 297   // 300 x 220, the firmware question drawn in the background
#define IDB_FIRMWARE_PROGRESS 286  // 264 x 192, the firmware bar: empty bar above, full bar below
#define IDB_FIRMWARE_PROGRESS_ALT 273  // 253 x 194, the firmware dialog's second bar (kept hidden)
#define IDB_BTN_RETRY 257          // 3 frames of 78 x 39: the scan's Retry button
#define IDB_SCAN_PROGRESS 269      // 251 x 136, the scan's bar: empty bar above, full bar below
#define IDI_APP 171                // the program's icon, 32 and 16 pixels
#define IDI_APP_SMALL 172          // its small icon
#define IDD_SPLASH 165             // the start-up dialog: mode combobox 1001, focus button 1002

// The tuning page's information panels and the response chart ----------------------------------
#define IDB_DEVICE_INFO 104        // 458 x 199, the device status lines (light text on dark)
#define IDB_DISPLAY_SETTINGS 105   // 460 x 106, the source name and the chart's curve switches
#define IDB_CHART_BG 106           // 747 x 159, the chart's own background: plot (20, 21)-(712, 150)
#define IDB_SWITCH_CROSSOVER 116   // 3 frames of 64 x 18: off, on, disabled
#define IDB_SWITCH_EQUALISER 117   // 3 frames of 42 x 18: off, on, disabled
#define IDB_SWITCH_TOTAL 118       // 2 frames of 46 x 17: off, on
#define IDB_CHART_ZOOM_TRACK 140   // 19 x 83, the zoom slider's track
#define IDB_CHART_ZOOM_THUMB 141   // 17 x 5, its thumb
#define IDB_CHART_BG_SOURCES 184   // 771 x 147, the external-source page's chart: plot (36, 13)-(728, 143)

// The tab bar and its menus ------------------------------------------------------------------
#define IDB_PAGE_TABS 122          // 512 x 111: the page tabs, one row of 37 per selected page
#define IDB_PRESET_TABS 189        // 211 x 88: the preset tabs, one row of 22 per selected preset
#define IDB_BTN_FILE 143           // menu buttons: 3 frames (normal, pressed, disabled)
#define IDB_BTN_CONFIG 144
#define IDB_BTN_PRESET 195
#define IDR_MENU_FILE 167          // popup menus, each shown as its first submenu
#define IDR_MENU_CONFIG 168
#define IDR_MENU_PRESET 196

// The output-level page ------------------------------------------------------------------------
#define IDB_LEVEL_FADER 135        // 34 x 229, a fader's background (track x 18..20, y 15..212)
#define IDB_LEVEL_THUMB 136        // 21 x 31, its thumb
#define IDB_LEVEL_CLIP 137         // 2 frames of 37 x 38: clip indicator off, lit
#define IDB_LEVEL_LINK 139         // 2 frames of 35 x 38: Link off, on
#define IDB_LEVEL_ICONS 292        // 71 x 828: 23 channel icons of 71 x 36, top to bottom
#define IDB_LEVEL_MUTE 293         // 2 frames of 21 x 20: mute off, on

// Tuning page: the equaliser panel -----------------------------------------------------------
#define IDB_EQ_PANEL 107           // 773 x 219, the tuning page's panel: bands' sliders at x 48..730
#define IDB_EQ_FLAT 120            // 3 frames of 30 x 28: normal, pressed, disabled
#define IDB_EQ_LINK 121            // 3 frames of 38 x 40: off, on, disabled
#define IDB_EQ_TRACK 127           // 22 x 160, a band slider's background (track x 8..13, y 18..146)
#define IDB_EQ_THUMB_PLAIN 128     // 20 x 10, the thumb of one state
#define IDB_EQ_BAND_SWITCH 192     // 3 frames of 18 x 12: off, on, disabled
#define IDB_EQ_OFF 193             // 3 frames of 34 x 36: off, on, disabled
#define IDB_EQ_SELECT_ALL 194      // 3 frames of 36 x 38: off, on, disabled
#define IDB_EQ_THUMB 287           // 4 frames of 20 x 10: outside the pass band, (stressed), inside, (stressed)

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

// Tuning page: crossover and delay panel ------------------------------------------------------
#define IDB_CROSSOVER_PANEL 102    // 248 x 294, the panel's face with its field wells
#define IDB_CROSSOVER_FIELD 113    // 3 frames of 17 x 21: a field's popup button
#define IDB_CROSSOVER_UP 114       // 3 frames of 17 x 9: distance and trim up (auto-repeat)
#define IDB_CROSSOVER_DOWN 115     // 3 frames of 17 x 9: distance and trim down
#define IDB_CROSSOVER_LINK 119     // 2 frames of 88 x 20: Xover Link off, on
#define IDB_CROSSOVER_PHASE 142    // 3 frames of 62 x 22: phase off, inverted, disabled
#define IDR_MENU_SLOPE 123         // popup menus of the fields, each shown as its first submenu
#define IDR_MENU_FILTER_TYPE 124
#define IDR_MENU_FAMILY 125
#define IDR_MENU_FREQUENCY 126     //   70 frequencies in five submenus

// The dynamic-equalisation dialog (on IDB_DYNEQ_BG) ---------------------------------------------
#define IDB_DYNEQ_EQ_TRACK 245     // 36 x 158, the EQ slider's background (thumb centre y 8..150)
#define IDB_DYNEQ_VOLUME_TRACK 246 // 36 x 158, the Volume slider's background
#define IDB_DYNEQ_THUMB 247        // 23 x 13, both sliders' thumb
#define IDB_DYNEQ_START 248        // 3 frames of 78 x 34: normal, pressed, disabled
#define IDB_DYNEQ_ADVANCED 250     // mode and curve switches: 3 frames (off, on, disabled),
#define IDB_DYNEQ_EASY 251         //   captions drawn in: 120 x 19
#define IDB_DYNEQ_RESET 252        //   132 x 22
#define IDB_DYNEQ_LOW 253          //   105 x 18
#define IDB_DYNEQ_HIGH 254         //   105 x 18
#define IDB_DYNEQ_SAVE 255         // 3 frames of 78 x 34: normal, pressed, disabled

// The external-source page (its face 174 is listed with the pages) ------------------------------
#define IDB_SOURCE_EQ_PANEL 188    // 773 x 217, its equaliser panel: bands' sliders at x 48..730, y 38..198
#define IDB_SOURCE_AUX1 176        // source switches: 2 frames of 90 x 29 (off, lit)
#define IDB_SOURCE_AUX2 177
#define IDB_SOURCE_SPDIF 187
#define IDB_SOURCE_OPTICAL 178
#define IDB_SOURCE_PHONE 179
#define IDB_SOURCE_MASTER 232
#define IDB_INPUT_AUX1 180         // the inputs on the device picture: 2 frames of 40 x 34
#define IDB_INPUT_AUX2 181
#define IDB_INPUT_SPDIF 186
#define IDB_INPUT_OPTICAL 182
#define IDB_INPUT_PHONE 183
#define IDB_INPUT_LOW_LEVEL 190    // 2 frames of 110 x 30: the low-level main inputs
#define IDB_INPUT_HIGH_LEVEL 191   // 2 frames of 110 x 30: the high-level main inputs
#define IDB_SENSITIVITY_SCALE 291  // 2 frames of 30 x 158: 0.3 .. 5.0 V, 0.6 .. 10.0 V
#define IDB_SOURCE_THUMB 235       // 17 x 27, both sliders' thumb
#define IDB_SOURCE_MASTER_TRACK 236  // 17 x 158, the master slider's background (track x 5..8, y 18..145)
#define IDB_SOURCE_SENS_TRACK 237  // 17 x 158, the sensitivity slider's background
#define IDB_INPUT_TYPE_LABELS 295  // 144 x 14: the high-level label, then the low-level label
#define IDB_INPUT_LABELS 296       // 93 x 338: 26 input labels of 93 x 13, top to bottom
#define IDB_EQ_DYNAMIC 249         // 773 x 223, the dynamic-equalisation dialog's panel (bands 4 rows lower)

// The I/O wizard ------------------------------------------------------------------------------
#define IDB_WIZARD_TYPE 150        // step pictures, 300 x 380: input type and sources
#define IDB_WIZARD_HIGH 151        //   high-level input assignment
#define IDB_WIZARD_LOW 153         //   low-level input assignment
#define IDB_WIZARD_LEVEL 155       //   input level setup: what to do first
#define IDB_WIZARD_LEVEL_RUN 156   //   input level setup running
#define IDB_WIZARD_CALIBRATE 157   //   auto calibration: de-equalize or skip
#define IDB_WIZARD_TRACK2 158      //   auto calibration: track 2
#define IDB_WIZARD_CAL_RUN 224     //   auto calibration running
#define IDB_WIZARD_DONE 159        //   wizard completed
#define IDB_WIZARD_CAR_BG 197      // 442 x 510, the car-view steps
#define IDB_TITLE_CHANNELS 258     // car-view step titles, 213 x 27, at (83, 0)
#define IDB_TITLE_SPEAKERS 259
#define IDB_TITLE_PASSIVE 260
#define IDB_TITLE_AMPLIFIERS 261
#define IDB_CAR_WIZARD 198         // 442 x 411, the car in the wizard
#define IDB_WARN_OUTPUTS 270       // 167 x 124, more outputs needed than the device has
#define IDB_WARN_CONFLICT 289      // 141 x 275, an output assigned twice
#define IDB_TOGGLE_WAY2_R 200      // passive-crossover toggles, 2 frames of 46 x 20 (off, on)
#define IDB_TOGGLE_CENTER 201
#define IDB_TOGGLE_WAY3_L 202
#define IDB_TOGGLE_WAY3_R 203
#define IDB_TOGGLE_WAY2_L 204
#define IDB_LABEL_RIGHT 214        // output-channel labels, 79 x 20
#define IDB_LABEL_LEFT 215
#define IDB_AMP_LEFT 216           // amplifier boxes, 2 frames of 49 x 13 (off, on)
#define IDB_AMP_RIGHT 219
#define IDB_CHANNEL_UP 217         // 3 frames of 16 x 9 (normal, pressed, disabled)
#define IDB_CHANNEL_DOWN 218
#define IDB_WIZARD_CHECK 185       // 2 frames of 16 x 16 (off, on)
#define IDB_WIZARD_BAR 239         // 260 x 24: the empty bar over the full one
#define IDR_MENU_WIZARD_TYPE 160   // the wizard's input menus, each shown as its first submenu
#define IDR_MENU_WIZARD_HIGH 161
#define IDR_MENU_WIZARD_LOW 162
