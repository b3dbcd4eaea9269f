#include "protocol/reply_table.h"

#include "protocol/agc.h"
#include "protocol/alarm.h"
#include "protocol/auto_switching.h"
#include "protocol/date_time.h"
#include "protocol/display_channel.h"
#include "protocol/other_settings.h"
#include "protocol/title.h"
#include "protocol/video_adjustment.h"
#include "protocol/video_format.h"
#include "protocol/video_loss.h"

namespace vqx {

namespace {

constexpr ReplyHandlerEntry Entry(const ReadBack& read_back) {
  return {read_back.reply, static_cast<int>(read_back.reply.size()),
          read_back.decode};
}

}  // namespace

void DecodeVersion(DeviceSettings&, std::string_view) {}

const std::array<ReplyHandlerEntry, 38> ReplyDispatchTable = {{
    Entry(kAlarmDisplayReadBack),
    Entry(kAlarmHoldTimeReadBack),
    Entry(kAgcReadBack),
    Entry(kAlarmModeReadBack),
    Entry(kAlarmPolarityReadBack),
    Entry(kAlarmReturnReadBack),
    Entry(kBorderLineReadBack),
    Entry(kSequenceTimesReadBack),
    Entry(kSequenceModeReadBack),
    Entry(kConnectorInputReadBack),
    Entry(kTitleDisplaySplitReadBack),
    Entry(kTitleDisplaySingleReadBack),
    Entry(kOsdSizeSplitReadBack),
    Entry(kOsdSizeSingleReadBack),
    Entry(kTitleReadBack),
    Entry(kDssModeReadBack),
    Entry(kNtscAspectReadBack),
    Entry(kOsdOffsetHReadBack),
    Entry(kOsdOffsetVReadBack),
    Entry(kPowerOnScreenReadBack),
    Entry(kLayout4AReadBack),
    Entry(kLayout4BReadBack),
    Entry(kLayout6AReadBack),
    Entry(kLayout6BReadBack),
    Entry(kLayout9ReadBack),
    Entry(kClockDisplayReadBack),
    Entry(kClockDisplayRangeReadBack),
    Entry(kBrightnessReadBack),
    Entry(kContrastReadBack),
    Entry(kSharpnessReadBack),
    Entry(kHueReadBack),
    Entry(kSaturationReadBack),
    Entry(kVideoLossBackgroundReadBack),
    Entry(kVideoLossDisplayReadBack),
    Entry(kVideoLossSignalOutputReadBack),
    Entry(kVideoLossDetectReadBack),
    Entry(kVideoFormatReadBack),
    Entry(kVersionReadBack),
}};

const ReplyHandlerEntry* FindReplyHandler(std::string_view work_copy) {
  for (const ReplyHandlerEntry& entry : ReplyDispatchTable) {
    if (work_copy.starts_with(entry.mnemonic.substr(0, entry.compared))) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace vqx
