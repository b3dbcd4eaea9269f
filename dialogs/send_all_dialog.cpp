#include "dialogs/send_all_dialog.h"

#include <memory>

namespace vqx {

SendAllDialog::SendAllDialog(DialogServices& services)
    : SequenceDialog(services,
                     {kTemplateId, kHeading, kStart, kProgress, kPercent,
                      kFastBox, kTimer, Broadcast::kListed},
                     std::make_unique<SendAllSequence>(
                         services.core.link, services.core.settings,
                         services.sink, services.boxes),
                     SendAllSettingName) {}

}  // namespace vqx
