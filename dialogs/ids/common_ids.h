/* Ids that every settings dialog shares: its template and its class include
   this file through the dialog's own ids. */
#ifndef VQX_DIALOGS_IDS_COMMON_IDS_H
#define VQX_DIALOGS_IDS_COMMON_IDS_H

/* The slave-address list, the same control in every dialog that has one. */
#define IDC_SLAVE_ADDRESS 1005

#endif
