/* Ids of the read-all dialog, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_READ_ALL_IDS_H
#define VQX_DIALOGS_IDS_READ_ALL_IDS_H

#include "dialogs/ids/common_ids.h"

#define IDD_READ_ALL 145
#define IDC_READ_ALL_START 1078
#define IDC_READ_ALL_FAST 1080
#define IDC_READ_ALL_PROGRESS 1052
#define IDC_READ_ALL_PERCENT 1053

#endif
