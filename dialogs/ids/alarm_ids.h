/* Ids of the alarm dialog, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_ALARM_IDS_H
#define VQX_DIALOGS_IDS_ALARM_IDS_H

#include "dialogs/ids/common_ids.h"

#define IDD_ALARM 133
#define IDC_ALARM_MODE 1000
#define IDC_ALARM_HOLD_TIME 1001
#define IDC_ALARM_POLARITY 1002
#define IDC_ALARM_DISPLAY 1003
#define IDC_ALARM_RETURN 1004
#define IDC_ALARM_MODE_SET 1006
#define IDC_ALARM_HOLD_TIME_SET 1007
#define IDC_ALARM_POLARITY_SET 1008
#define IDC_ALARM_DISPLAY_SET 1009
#define IDC_ALARM_RETURN_SET 1010

#endif
