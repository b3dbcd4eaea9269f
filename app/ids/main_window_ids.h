/* Ids of the main window: the menu resource "IDM_MENU", the toolbar and the
   status bar. The menu resource and app/commands.h include this file; the
   end-to-end suite drives the program by these names. */
#ifndef VQX_APP_IDS_MAIN_WINDOW_IDS_H
#define VQX_APP_IDS_MAIN_WINDOW_IDS_H

/* Menu commands */
#define IDM_FILE_NEW 32775
#define IDM_FILE_OPEN 32776
#define IDM_FILE_SAVE 32777
#define IDM_FILE_SAVE_AS 32778
#define IDM_FILE_COMPARE 32821
#define IDM_FILE_EXIT 121
#define IDM_ALARM 32779
#define IDM_VIDEO_LOSS 32780
#define IDM_DATE_TIME 32817
#define IDM_TITLE 32782
#define IDM_AUTO_SWITCHING 32784
#define IDM_VIDEO_ADJUSTMENT 32786
#define IDM_DISPLAY_CHANNEL 32785
#define IDM_VIDEO_FORMAT 32818
#define IDM_AGC 32819
#define IDM_OTHER_SETTINGS 32787
#define IDM_SEND_ALL 32788
#define IDM_SLAVE_ADDRESS 32790
#define IDM_READ_ALL 32789
#define IDM_SERIAL_SETTINGS 32791
#define IDM_TRAFFIC_LOG 32820
#define IDM_ABOUT 120

/* Toolbar buttons, left to right; picture i of the strip IDB_TOOLBAR shows
   on button i. */
#define IDT_ALARM 501
#define IDT_VIDEO_LOSS 502
#define IDT_DATE_TIME 503
#define IDT_TITLE 504
#define IDT_AUTO_SWITCHING 505
#define IDT_VIDEO_ADJUSTMENT 506
#define IDT_DISPLAY_CHANNEL 507
#define IDT_VIDEO_FORMAT 508
#define IDT_AGC 509
#define IDT_OTHER_SETTINGS 510

/* Child windows and the toolbar's picture strips: at 100 %, and drawn
   larger for 150 % and 200 % scaling */
#define IDC_TOOLBAR 132
#define IDB_TOOLBAR 131
#define IDB_TOOLBAR_150 161
#define IDB_TOOLBAR_200 162
#define IDC_STATUS_BAR 520

#endif
