/* Ids of the send-all dialog, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_SEND_ALL_IDS_H
#define VQX_DIALOGS_IDS_SEND_ALL_IDS_H

#include "dialogs/ids/common_ids.h"

#define IDD_SEND_ALL 143
#define IDC_SEND_ALL_START 1048
#define IDC_SEND_ALL_FAST 1080
#define IDC_SEND_ALL_PROGRESS 1052
#define IDC_SEND_ALL_PERCENT 1053

#endif
