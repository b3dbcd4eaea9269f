#include "dialogs/agc_dialog.h"

#include "protocol/agc.h"

namespace vqx {
namespace {

constexpr ChannelDialogShape kAgcShape{
    AgcDialog::kTemplateId,      AgcDialog::kHeading,
    AgcDialog::kChannels,        kOffOnItems,
    &DeviceSettings::agc_enable, SendAgcChannel,
};

}  // namespace

AgcDialog::AgcDialog(DialogServices& services)
    : ChannelSettingsDialog(services, kAgcShape) {}

}  // namespace vqx
