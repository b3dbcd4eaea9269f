/* Ids of the traffic log window, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_TRAFFIC_LOG_IDS_H
#define VQX_DIALOGS_IDS_TRAFFIC_LOG_IDS_H

#define IDD_TRAFFIC_LOG 151
#define IDC_LOG_LINES 1090
#define IDC_LOG_SAVE 1091
#define IDC_LOG_CLEAR 1092
#define IDC_LOG_PAUSE 1093

#endif
