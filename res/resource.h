/* Resource ids shared by the resource script and the Win32 program. The
   program's own tables (app/commands.h, the dialog classes) use the same
   numbers; win32/resources_check.cpp makes sure they agree. */
#ifndef VQX_RES_RESOURCE_H
#define VQX_RES_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_ABOUT 100
#define IDB_TOOLBAR 131
#define IDD_ALARM 133
#define IDD_SERIAL_SETTINGS 144

/* Menu commands */
#define IDM_FILE_NEW 32775
#define IDM_FILE_OPEN 32776
#define IDM_FILE_SAVE 32777
#define IDM_FILE_SAVE_AS 32778
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
#define IDM_ABOUT 120

/* About box */
#define IDC_ABOUT_ICON 1201
#define IDC_ABOUT_VERSION 1200

/* Alarm dialog */
#define IDC_ALARM_MODE 1000
#define IDC_ALARM_HOLD_TIME 1001
#define IDC_ALARM_POLARITY 1002
#define IDC_ALARM_DISPLAY 1003
#define IDC_ALARM_RETURN 1004
#define IDC_SLAVE_ADDRESS 1005
#define IDC_ALARM_MODE_SET 1006
#define IDC_ALARM_HOLD_TIME_SET 1007
#define IDC_ALARM_POLARITY_SET 1008
#define IDC_ALARM_DISPLAY_SET 1009
#define IDC_ALARM_RETURN_SET 1010

/* Serial settings dialog */
#define IDC_SERIAL_PORT 1072
#define IDC_SERIAL_LINE 1075

#endif
