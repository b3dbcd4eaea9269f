/* Ids of the About box, for its template and its class. */
#ifndef VQX_APP_IDS_ABOUT_IDS_H
#define VQX_APP_IDS_ABOUT_IDS_H

#define IDD_ABOUT 100
#define IDC_ABOUT_ICON 1201
#define IDC_ABOUT_VERSION 1200

#endif
