/* Ids of the comparison with a file, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_COMPARE_IDS_H
#define VQX_DIALOGS_IDS_COMPARE_IDS_H

#define IDD_COMPARE 152
#define IDC_COMPARE_FILE 1094
#define IDC_COMPARE_LIST 1095

#endif
