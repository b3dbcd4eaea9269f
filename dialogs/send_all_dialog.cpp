#include "dialogs/send_all_dialog.h"

#include <memory>

namespace vqx {

SendAllDialog::SendAllDialog(DialogServices& services)
    : SequenceDialog(services,
                     {kTemplateId, kHeading, kStart, kProgress, kPercent,
                      kFastBox, kTimer, Broadcast::kListed},
                     std::make_unique<SendAllSequence>(
                         services.device.state, services.settings,
                         services.device.sink, services.platform.boxes),
                     SendAllSettingName) {}

}  // namespace vqx
