/* Ids of the slave address dialog, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_SLAVE_ADDRESS_IDS_H
#define VQX_DIALOGS_IDS_SLAVE_ADDRESS_IDS_H

#include "dialogs/ids/common_ids.h"

#define IDD_SLAVE_ADDRESS 142
#define IDC_SCAN_START 1084
#define IDC_SCAN_PROGRESS 1085
#define IDC_SCAN_STATUS 1087
#define IDC_SCAN_ANSWERS 1086

#endif
