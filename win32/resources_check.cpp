// The resource script and the program name controls and commands by the
// same numbers; this keeps the two lists from drifting apart.
#include "app/about_dialog.h"
#include "app/commands.h"
#include "app/serial_settings_dialog.h"
#include "dialogs/alarm_dialog.h"
#include "dialogs/conventions.h"
#include "res/resource.h"

namespace vqx {

static_assert(IDD_ABOUT == AboutDialog::kTemplateId);
static_assert(IDC_ABOUT_VERSION == AboutDialog::kVersionLabel);
static_assert(IDD_ALARM == AlarmDialog::kTemplateId);
static_assert(IDD_SERIAL_SETTINGS == SerialSettingsDialog::kTemplateId);
static_assert(IDB_TOOLBAR == kToolbarBitmapId);

static_assert(IDM_FILE_NEW == kCommandNew);
static_assert(IDM_FILE_OPEN == kCommandOpen);
static_assert(IDM_FILE_SAVE == kCommandSave);
static_assert(IDM_FILE_SAVE_AS == kCommandSaveAs);
static_assert(IDM_FILE_EXIT == kCommandExit);
static_assert(IDM_ALARM == kCommandAlarm);
static_assert(IDM_VIDEO_LOSS == kCommandVideoLoss);
static_assert(IDM_DATE_TIME == kCommandDateTime);
static_assert(IDM_TITLE == kCommandTitle);
static_assert(IDM_AUTO_SWITCHING == kCommandAutoSwitching);
static_assert(IDM_VIDEO_ADJUSTMENT == kCommandVideoAdjustment);
static_assert(IDM_DISPLAY_CHANNEL == kCommandDisplayChannel);
static_assert(IDM_VIDEO_FORMAT == kCommandVideoFormat);
static_assert(IDM_AGC == kCommandAgc);
static_assert(IDM_OTHER_SETTINGS == kCommandOtherSettings);
static_assert(IDM_SEND_ALL == kCommandSendAll);
static_assert(IDM_SLAVE_ADDRESS == kCommandSlaveAddress);
static_assert(IDM_READ_ALL == kCommandReadAll);
static_assert(IDM_SERIAL_SETTINGS == kCommandSerialSettings);
static_assert(IDM_ABOUT == kCommandAbout);

static_assert(IDC_SLAVE_ADDRESS == kSlaveAddressCombo);
static_assert(IDC_ALARM_MODE == AlarmDialog::kModeList);
static_assert(IDC_ALARM_HOLD_TIME == AlarmDialog::kHoldTimeEdit);
static_assert(IDC_ALARM_POLARITY == AlarmDialog::kPolarityList);
static_assert(IDC_ALARM_DISPLAY == AlarmDialog::kDisplayList);
static_assert(IDC_ALARM_RETURN == AlarmDialog::kReturnList);
static_assert(IDC_ALARM_MODE_SET == AlarmDialog::kModeSet);
static_assert(IDC_ALARM_HOLD_TIME_SET == AlarmDialog::kHoldTimeSet);
static_assert(IDC_ALARM_POLARITY_SET == AlarmDialog::kPolaritySet);
static_assert(IDC_ALARM_DISPLAY_SET == AlarmDialog::kDisplaySet);
static_assert(IDC_ALARM_RETURN_SET == AlarmDialog::kReturnSet);
static_assert(IDC_SERIAL_PORT == SerialSettingsDialog::kPortList);
static_assert(IDC_SERIAL_LINE == SerialSettingsDialog::kLineList);

}  // namespace vqx
