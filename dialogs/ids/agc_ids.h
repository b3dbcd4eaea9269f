/* Ids of the AGC dialog, for its template and its class. */
#ifndef VQX_DIALOGS_IDS_AGC_IDS_H
#define VQX_DIALOGS_IDS_AGC_IDS_H

#include "dialogs/ids/common_ids.h"

#define IDD_AGC 150
#define IDC_AGC_CH1 1132
#define IDC_AGC_CH1_SET 1133
#define IDC_AGC_CH2 1136
#define IDC_AGC_CH2_SET 1137
#define IDC_AGC_CH3 1140
#define IDC_AGC_CH3_SET 1141
#define IDC_AGC_CH4 1144
#define IDC_AGC_CH4_SET 1145
#define IDC_AGC_CH5 1134
#define IDC_AGC_CH5_SET 1135
#define IDC_AGC_CH6 1138
#define IDC_AGC_CH6_SET 1139
#define IDC_AGC_CH7 1142
#define IDC_AGC_CH7_SET 1143
#define IDC_AGC_CH8 1146
#define IDC_AGC_CH8_SET 1147

#endif
