/* Ids of the auto switching dialog, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_AUTO_SWITCHING_IDS_H
#define VQX_DIALOGS_IDS_AUTO_SWITCHING_IDS_H

#include "dialogs/ids/common_ids.h"

#define IDD_AUTO_SWITCHING 138
#define IDC_SEQ_LIST_FRAME 1054
#define IDC_SEQ_ENTRY 1044
#define IDC_SEQ_TIME 1055
#define IDC_SEQ_COMMON_TIME 1056
#define IDC_SEQ_TIMES_SET 1057
#define IDC_SEQ_MODE 1045
#define IDC_SEQ_MODE_SET 1058

#endif
