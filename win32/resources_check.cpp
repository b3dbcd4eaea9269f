// The resource script and the program name controls and commands by the
// same numbers; this keeps the two lists from drifting apart.
#include "app/about_dialog.h"
#include "app/commands.h"
#include "app/serial_settings_dialog.h"
#include "dialogs/agc_dialog.h"
#include "dialogs/alarm_dialog.h"
#include "dialogs/auto_switching_dialog.h"
#include "dialogs/compare_dialog.h"
#include "dialogs/conventions.h"
#include "dialogs/date_time_dialog.h"
#include "dialogs/display_channel_dialog.h"
#include "dialogs/other_settings_dialog.h"
#include "dialogs/read_all_dialog.h"
#include "dialogs/send_all_dialog.h"
#include "dialogs/slave_address_dialog.h"
#include "dialogs/title_dialog.h"
#include "dialogs/traffic_log_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "dialogs/video_format_dialog.h"
#include "dialogs/video_loss_dialog.h"
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
static_assert(IDM_FILE_COMPARE == kCommandCompare);
static_assert(IDM_TRAFFIC_LOG == kCommandTrafficLog);
static_assert(IDC_SERIAL_ECHO == SerialSettingsDialog::kEchoBox);

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
static_assert(IDC_SERIAL_PORT_DESCRIPTION ==
              SerialSettingsDialog::kPortDescription);

static_assert(IDD_VIDEO_LOSS == VideoLossDialog::kTemplateId);
static_assert(IDC_VLOSS_CH1 == VideoLossDialog::kChannels[0].list);
static_assert(IDC_VLOSS_CH1_SET == VideoLossDialog::kChannels[0].set);
static_assert(IDC_VLOSS_CH2 == VideoLossDialog::kChannels[1].list);
static_assert(IDC_VLOSS_CH2_SET == VideoLossDialog::kChannels[1].set);
static_assert(IDC_VLOSS_CH3 == VideoLossDialog::kChannels[2].list);
static_assert(IDC_VLOSS_CH3_SET == VideoLossDialog::kChannels[2].set);
static_assert(IDC_VLOSS_CH4 == VideoLossDialog::kChannels[3].list);
static_assert(IDC_VLOSS_CH4_SET == VideoLossDialog::kChannels[3].set);
static_assert(IDC_VLOSS_CH5 == VideoLossDialog::kChannels[4].list);
static_assert(IDC_VLOSS_CH5_SET == VideoLossDialog::kChannels[4].set);
static_assert(IDC_VLOSS_CH6 == VideoLossDialog::kChannels[5].list);
static_assert(IDC_VLOSS_CH6_SET == VideoLossDialog::kChannels[5].set);
static_assert(IDC_VLOSS_CH7 == VideoLossDialog::kChannels[6].list);
static_assert(IDC_VLOSS_CH7_SET == VideoLossDialog::kChannels[6].set);
static_assert(IDC_VLOSS_CH8 == VideoLossDialog::kChannels[7].list);
static_assert(IDC_VLOSS_CH8_SET == VideoLossDialog::kChannels[7].set);
static_assert(IDC_VLOSS_BACKGROUND == VideoLossDialog::kBackgroundList);
static_assert(IDC_VLOSS_BACKGROUND_SET == VideoLossDialog::kBackgroundSet);
static_assert(IDC_VLOSS_SIGNAL_OUTPUT == VideoLossDialog::kSignalOutputList);
static_assert(IDC_VLOSS_SIGNAL_OUTPUT_SET == VideoLossDialog::kSignalOutputSet);
static_assert(IDC_VLOSS_DISPLAY == VideoLossDialog::kDisplayList);
static_assert(IDC_VLOSS_DISPLAY_SET == VideoLossDialog::kDisplaySet);

static_assert(IDD_DATE_TIME == DateTimeDialog::kTemplateId);
static_assert(IDC_CLOCK_YEAR == DateTimeDialog::kYearList);
static_assert(IDC_CLOCK_YEAR_SET == DateTimeDialog::kYearSet);
static_assert(IDC_CLOCK_MONTH == DateTimeDialog::kMonthList);
static_assert(IDC_CLOCK_MONTH_SET == DateTimeDialog::kMonthSet);
static_assert(IDC_CLOCK_DAY == DateTimeDialog::kDayList);
static_assert(IDC_CLOCK_DAY_SET == DateTimeDialog::kDaySet);
static_assert(IDC_CLOCK_HOUR == DateTimeDialog::kHourList);
static_assert(IDC_CLOCK_HOUR_SET == DateTimeDialog::kHourSet);
static_assert(IDC_CLOCK_MINUTE == DateTimeDialog::kMinuteList);
static_assert(IDC_CLOCK_MINUTE_SET == DateTimeDialog::kMinuteSet);
static_assert(IDC_CLOCK_SECOND == DateTimeDialog::kSecondList);
static_assert(IDC_CLOCK_SECOND_SET == DateTimeDialog::kSecondSet);
static_assert(IDC_CLOCK_DATE_TIME_SET == DateTimeDialog::kDateTimeSet);
static_assert(IDC_CLOCK_CORRECTION_SET == DateTimeDialog::kCorrectionSet);
static_assert(IDC_CLOCK_RANGE == DateTimeDialog::kRangeList);
static_assert(IDC_CLOCK_RANGE_SET == DateTimeDialog::kRangeSet);
static_assert(IDC_CLOCK_DISPLAY == DateTimeDialog::kDisplayList);
static_assert(IDC_CLOCK_DISPLAY_SET == DateTimeDialog::kDisplaySet);

static_assert(IDD_AUTO_SWITCHING == AutoSwitchingDialog::kTemplateId);
static_assert(IDC_SEQ_LIST_FRAME == AutoSwitchingDialog::kListFrame);
static_assert(IDC_SEQ_ENTRY == AutoSwitchingDialog::kEntryList);
static_assert(IDC_SEQ_TIME == AutoSwitchingDialog::kTimeList);
static_assert(IDC_SEQ_COMMON_TIME == AutoSwitchingDialog::kCommonList);
static_assert(IDC_SEQ_TIMES_SET == AutoSwitchingDialog::kTimesSet);
static_assert(IDC_SEQ_MODE == AutoSwitchingDialog::kModeList);
static_assert(IDC_SEQ_MODE_SET == AutoSwitchingDialog::kModeSet);

static_assert(IDD_VIDEO_FORMAT == VideoFormatDialog::kTemplateId);
static_assert(IDC_FORMAT_CH1 == VideoFormatDialog::kChannels[0].list);
static_assert(IDC_FORMAT_CH1_SET == VideoFormatDialog::kChannels[0].set);
static_assert(IDC_FORMAT_CH2 == VideoFormatDialog::kChannels[1].list);
static_assert(IDC_FORMAT_CH2_SET == VideoFormatDialog::kChannels[1].set);
static_assert(IDC_FORMAT_CH3 == VideoFormatDialog::kChannels[2].list);
static_assert(IDC_FORMAT_CH3_SET == VideoFormatDialog::kChannels[2].set);
static_assert(IDC_FORMAT_CH4 == VideoFormatDialog::kChannels[3].list);
static_assert(IDC_FORMAT_CH4_SET == VideoFormatDialog::kChannels[3].set);
static_assert(IDC_FORMAT_CH5 == VideoFormatDialog::kChannels[4].list);
static_assert(IDC_FORMAT_CH5_SET == VideoFormatDialog::kChannels[4].set);
static_assert(IDC_FORMAT_CH6 == VideoFormatDialog::kChannels[5].list);
static_assert(IDC_FORMAT_CH6_SET == VideoFormatDialog::kChannels[5].set);
static_assert(IDC_FORMAT_CH7 == VideoFormatDialog::kChannels[6].list);
static_assert(IDC_FORMAT_CH7_SET == VideoFormatDialog::kChannels[6].set);
static_assert(IDC_FORMAT_CH8 == VideoFormatDialog::kChannels[7].list);
static_assert(IDC_FORMAT_CH8_SET == VideoFormatDialog::kChannels[7].set);
static_assert(IDC_FORMAT_COMMON == VideoFormatDialog::kCommonList);
static_assert(IDC_FORMAT_SET_ALL == VideoFormatDialog::kSetAll);

static_assert(IDD_AGC == AgcDialog::kTemplateId);
static_assert(IDC_AGC_CH1 == AgcDialog::kChannels[0].list);
static_assert(IDC_AGC_CH1_SET == AgcDialog::kChannels[0].set);
static_assert(IDC_AGC_CH2 == AgcDialog::kChannels[1].list);
static_assert(IDC_AGC_CH2_SET == AgcDialog::kChannels[1].set);
static_assert(IDC_AGC_CH3 == AgcDialog::kChannels[2].list);
static_assert(IDC_AGC_CH3_SET == AgcDialog::kChannels[2].set);
static_assert(IDC_AGC_CH4 == AgcDialog::kChannels[3].list);
static_assert(IDC_AGC_CH4_SET == AgcDialog::kChannels[3].set);
static_assert(IDC_AGC_CH5 == AgcDialog::kChannels[4].list);
static_assert(IDC_AGC_CH5_SET == AgcDialog::kChannels[4].set);
static_assert(IDC_AGC_CH6 == AgcDialog::kChannels[5].list);
static_assert(IDC_AGC_CH6_SET == AgcDialog::kChannels[5].set);
static_assert(IDC_AGC_CH7 == AgcDialog::kChannels[6].list);
static_assert(IDC_AGC_CH7_SET == AgcDialog::kChannels[6].set);
static_assert(IDC_AGC_CH8 == AgcDialog::kChannels[7].list);
static_assert(IDC_AGC_CH8_SET == AgcDialog::kChannels[7].set);

static_assert(IDD_SLAVE_ADDRESS == SlaveAddressDialog::kTemplateId);
static_assert(IDC_SCAN_START == SlaveAddressDialog::kScanButton);
static_assert(IDC_SCAN_PROGRESS == SlaveAddressDialog::kScanProgress);
static_assert(IDC_SCAN_STATUS == SlaveAddressDialog::kScanStatus);
static_assert(IDC_SCAN_ANSWERS == SlaveAddressDialog::kAnswerList);

static_assert(IDD_OTHER_SETTINGS == OtherSettingsDialog::kTemplateId);
static_assert(IDC_OTHER_CONNECTOR_INPUT ==
              OtherSettingsDialog::kConnectorInputList);
static_assert(IDC_OTHER_CONNECTOR_INPUT_SET ==
              OtherSettingsDialog::kConnectorInputSet);
static_assert(IDC_OTHER_POWER_ON_SCREEN ==
              OtherSettingsDialog::kPowerOnScreenList);
static_assert(IDC_OTHER_POWER_ON_SCREEN_SET ==
              OtherSettingsDialog::kPowerOnScreenSet);
static_assert(IDC_OTHER_BORDER_LINE == OtherSettingsDialog::kBorderLineList);
static_assert(IDC_OTHER_BORDER_LINE_SET == OtherSettingsDialog::kBorderLineSet);
static_assert(IDC_OTHER_OSD_OFFSET_H == OtherSettingsDialog::kOsdOffsetHList);
static_assert(IDC_OTHER_OSD_OFFSET_H_SET ==
              OtherSettingsDialog::kOsdOffsetHSet);
static_assert(IDC_OTHER_OSD_OFFSET_V == OtherSettingsDialog::kOsdOffsetVList);
static_assert(IDC_OTHER_OSD_OFFSET_V_SET ==
              OtherSettingsDialog::kOsdOffsetVSet);
static_assert(IDC_OTHER_OSD_SIZE_SINGLE ==
              OtherSettingsDialog::kOsdSizeSingleList);
static_assert(IDC_OTHER_OSD_SIZE_SINGLE_SET ==
              OtherSettingsDialog::kOsdSizeSingleSet);
static_assert(IDC_OTHER_OSD_SIZE_SPLIT ==
              OtherSettingsDialog::kOsdSizeSplitList);
static_assert(IDC_OTHER_OSD_SIZE_SPLIT_SET ==
              OtherSettingsDialog::kOsdSizeSplitSet);
static_assert(IDC_OTHER_BUTTON_LOCK == OtherSettingsDialog::kButtonLockList);
static_assert(IDC_OTHER_BUTTON_LOCK_SET == OtherSettingsDialog::kButtonLockSet);
static_assert(IDC_OTHER_NTSC_ASPECT == OtherSettingsDialog::kNtscAspectList);
static_assert(IDC_OTHER_NTSC_ASPECT_SET == OtherSettingsDialog::kNtscAspectSet);

static_assert(IDD_VIDEO_ADJUSTMENT == VideoAdjustmentDialog::kTemplateId);
static_assert(IDC_ADJUST_TABLE == VideoAdjustmentDialog::kTableFrame);
static_assert(IDC_ADJUST_BRIGHTNESS ==
              VideoAdjustmentDialog::kAdjustments[0].list);
static_assert(IDC_ADJUST_BRIGHTNESS_SET ==
              VideoAdjustmentDialog::kAdjustments[0].set);
static_assert(IDC_ADJUST_CONTRAST ==
              VideoAdjustmentDialog::kAdjustments[1].list);
static_assert(IDC_ADJUST_CONTRAST_SET ==
              VideoAdjustmentDialog::kAdjustments[1].set);
static_assert(IDC_ADJUST_HUE == VideoAdjustmentDialog::kAdjustments[2].list);
static_assert(IDC_ADJUST_HUE_SET == VideoAdjustmentDialog::kAdjustments[2].set);
static_assert(IDC_ADJUST_SHARPNESS ==
              VideoAdjustmentDialog::kAdjustments[3].list);
static_assert(IDC_ADJUST_SHARPNESS_SET ==
              VideoAdjustmentDialog::kAdjustments[3].set);
static_assert(IDC_ADJUST_SATURATION ==
              VideoAdjustmentDialog::kAdjustments[4].list);
static_assert(IDC_ADJUST_SATURATION_SET ==
              VideoAdjustmentDialog::kAdjustments[4].set);
static_assert(IDC_ADJUST_CHANNEL == VideoAdjustmentDialog::kChannelList);
static_assert(IDC_ADJUST_SET_ALL == VideoAdjustmentDialog::kSetAll);
static_assert(IDC_ADJUST_PROGRESS == VideoAdjustmentDialog::kProgress);

static_assert(IDD_DISPLAY_CHANNEL == DisplayChannelDialog::kTemplateId);
static_assert(IDC_SCREEN == DisplayChannelDialog::kScreenList);
static_assert(IDC_SCREEN_SET == DisplayChannelDialog::kScreenSet);
static_assert(IDC_LAYOUT_4A_PANE1 ==
              DisplayChannelDialog::kLayouts[0].panes[0]);
static_assert(IDC_LAYOUT_4A_PANE2 ==
              DisplayChannelDialog::kLayouts[0].panes[1]);
static_assert(IDC_LAYOUT_4A_PANE3 ==
              DisplayChannelDialog::kLayouts[0].panes[2]);
static_assert(IDC_LAYOUT_4A_PANE4 ==
              DisplayChannelDialog::kLayouts[0].panes[3]);
static_assert(IDC_LAYOUT_4A_SET == DisplayChannelDialog::kLayouts[0].set);
static_assert(IDC_LAYOUT_4A_SET_N == DisplayChannelDialog::kLayouts[0].set_n);
static_assert(IDC_LAYOUT_4B_PANE1 ==
              DisplayChannelDialog::kLayouts[1].panes[0]);
static_assert(IDC_LAYOUT_4B_PANE2 ==
              DisplayChannelDialog::kLayouts[1].panes[1]);
static_assert(IDC_LAYOUT_4B_PANE3 ==
              DisplayChannelDialog::kLayouts[1].panes[2]);
static_assert(IDC_LAYOUT_4B_PANE4 ==
              DisplayChannelDialog::kLayouts[1].panes[3]);
static_assert(IDC_LAYOUT_4B_SET == DisplayChannelDialog::kLayouts[1].set);
static_assert(IDC_LAYOUT_4B_SET_N == DisplayChannelDialog::kLayouts[1].set_n);
static_assert(IDC_LAYOUT_6A_PANE1 ==
              DisplayChannelDialog::kLayouts[2].panes[0]);
static_assert(IDC_LAYOUT_6A_PANE2 ==
              DisplayChannelDialog::kLayouts[2].panes[1]);
static_assert(IDC_LAYOUT_6A_PANE3 ==
              DisplayChannelDialog::kLayouts[2].panes[2]);
static_assert(IDC_LAYOUT_6A_PANE4 ==
              DisplayChannelDialog::kLayouts[2].panes[3]);
static_assert(IDC_LAYOUT_6A_PANE5 ==
              DisplayChannelDialog::kLayouts[2].panes[4]);
static_assert(IDC_LAYOUT_6A_PANE6 ==
              DisplayChannelDialog::kLayouts[2].panes[5]);
static_assert(IDC_LAYOUT_6A_SET == DisplayChannelDialog::kLayouts[2].set);
static_assert(IDC_LAYOUT_6A_SET_N == DisplayChannelDialog::kLayouts[2].set_n);
static_assert(IDC_LAYOUT_6B_PANE1 ==
              DisplayChannelDialog::kLayouts[3].panes[0]);
static_assert(IDC_LAYOUT_6B_PANE2 ==
              DisplayChannelDialog::kLayouts[3].panes[1]);
static_assert(IDC_LAYOUT_6B_PANE3 ==
              DisplayChannelDialog::kLayouts[3].panes[2]);
static_assert(IDC_LAYOUT_6B_PANE4 ==
              DisplayChannelDialog::kLayouts[3].panes[3]);
static_assert(IDC_LAYOUT_6B_PANE5 ==
              DisplayChannelDialog::kLayouts[3].panes[4]);
static_assert(IDC_LAYOUT_6B_PANE6 ==
              DisplayChannelDialog::kLayouts[3].panes[5]);
static_assert(IDC_LAYOUT_6B_SET == DisplayChannelDialog::kLayouts[3].set);
static_assert(IDC_LAYOUT_6B_SET_N == DisplayChannelDialog::kLayouts[3].set_n);
static_assert(IDC_LAYOUT_9_PANE1 == DisplayChannelDialog::kLayouts[4].panes[0]);
static_assert(IDC_LAYOUT_9_PANE2 == DisplayChannelDialog::kLayouts[4].panes[1]);
static_assert(IDC_LAYOUT_9_PANE3 == DisplayChannelDialog::kLayouts[4].panes[2]);
static_assert(IDC_LAYOUT_9_PANE4 == DisplayChannelDialog::kLayouts[4].panes[3]);
static_assert(IDC_LAYOUT_9_PANE5 == DisplayChannelDialog::kLayouts[4].panes[4]);
static_assert(IDC_LAYOUT_9_PANE6 == DisplayChannelDialog::kLayouts[4].panes[5]);
static_assert(IDC_LAYOUT_9_PANE7 == DisplayChannelDialog::kLayouts[4].panes[6]);
static_assert(IDC_LAYOUT_9_PANE8 == DisplayChannelDialog::kLayouts[4].panes[7]);
static_assert(IDC_LAYOUT_9_SET == DisplayChannelDialog::kLayouts[4].set);
static_assert(IDC_LAYOUT_9_SET_N == DisplayChannelDialog::kLayouts[4].set_n);

static_assert(IDD_TITLE == TitleDialog::kTemplateId);
static_assert(IDC_TITLE_PREVIEW == TitleDialog::kPreviewFrame);
static_assert(IDC_TITLE_CHANNEL == TitleDialog::kChannelList);
static_assert(IDC_TITLE_TEXT == TitleDialog::kTitleEdit);
static_assert(IDC_TITLE_SET == TitleDialog::kTitleSet);
static_assert(IDC_TITLE_SET_ALL == TitleDialog::kTitleSetAll);
static_assert(IDC_TITLE_SET_N == TitleDialog::kTitleSetN);
static_assert(IDC_TITLE_SET_ALL_N == TitleDialog::kTitleSetAllN);
static_assert(IDC_TITLE_SINGLE_SCREEN == TitleDialog::kSingleScreenList);
static_assert(IDC_TITLE_SINGLE_SCREEN_SET == TitleDialog::kSingleScreenSet);
static_assert(IDC_TITLE_SPLIT_SCREEN == TitleDialog::kSplitScreenList);
static_assert(IDC_TITLE_SPLIT_SCREEN_SET == TitleDialog::kSplitScreenSet);
static_assert(IDC_TITLE_PROGRESS == TitleDialog::kProgress);
static_assert(IDC_TITLE_PERCENT == TitleDialog::kPercent);

static_assert(IDD_SEND_ALL == SendAllDialog::kTemplateId);
static_assert(IDC_SEND_ALL_START == SendAllDialog::kStart);
static_assert(IDC_SEND_ALL_FAST == SendAllDialog::kFastBox);
static_assert(IDC_SEND_ALL_PROGRESS == SendAllDialog::kProgress);
static_assert(IDC_SEND_ALL_PERCENT == SendAllDialog::kPercent);

static_assert(IDD_READ_ALL == ReadAllDialog::kTemplateId);
static_assert(IDC_READ_ALL_START == ReadAllDialog::kStart);
static_assert(IDC_READ_ALL_FAST == ReadAllDialog::kFastBox);
static_assert(IDC_READ_ALL_PROGRESS == ReadAllDialog::kProgress);
static_assert(IDC_READ_ALL_PERCENT == ReadAllDialog::kPercent);

static_assert(IDD_TRAFFIC_LOG == TrafficLogDialog::kTemplateId);
static_assert(IDC_LOG_LINES == TrafficLogDialog::kLineList);
static_assert(IDC_LOG_SAVE == TrafficLogDialog::kSave);
static_assert(IDC_LOG_CLEAR == TrafficLogDialog::kClear);
static_assert(IDC_LOG_PAUSE == TrafficLogDialog::kPause);

static_assert(IDD_COMPARE == CompareDialog::kTemplateId);
static_assert(IDC_COMPARE_FILE == CompareDialog::kFileName);
static_assert(IDC_COMPARE_LIST == CompareDialog::kDifferenceList);

}  // namespace vqx
