/* Ids of the serial settings dialog, for its template and its class. */
#ifndef VQX_APP_IDS_SERIAL_SETTINGS_IDS_H
#define VQX_APP_IDS_SERIAL_SETTINGS_IDS_H

#define IDD_SERIAL_SETTINGS 144
#define IDC_SERIAL_PORT 1072
#define IDC_SERIAL_LINE 1075
#define IDC_SERIAL_PORT_DESCRIPTION 1076
#define IDC_SERIAL_ECHO 1077

#endif
