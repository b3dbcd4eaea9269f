// The dialogs of one setting per channel (video loss, video format, AGC):
// a list and a set button for each of the eight channels, a choice stored
// the moment it is made, and the slave-address list. A dialog names its
// field, the items of its lists and the builder that sends one channel; a
// few have lists of their own beside the rows.
#pragma once

#include <span>
#include <string_view>

#include "base/device_settings.h"
#include "dialogs/conventions.h"
#include "dialogs/dialog.h"
#include "transport/command_sink.h"

namespace vqx {

// A list of its own with its set button, storing one field and sending it
// with its builder.
struct SettingRow {
  int list;
  int set;
  std::span<const std::string_view> items;
  int DeviceSettings::*field;
  void (*send)(CommandSink& sink, const DeviceSettings& settings);
};

struct ChannelDialogShape {
  int template_id;
  std::string_view heading;
  ChannelRows channels;
  // The items of every channel's list.
  std::span<const std::string_view> items;
  int (DeviceSettings::*field)[kChannelCount];
  void (*send_channel)(CommandSink& sink, const DeviceSettings& settings,
                       int channel);
  std::span<const SettingRow> rows = {};
};

class ChannelSettingsDialog : public Dialog {
 public:
  int template_id() const override { return shape_.template_id; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 protected:
  ChannelSettingsDialog(DialogServices& services,
                        const ChannelDialogShape& shape)
      : services_(services), shape_(shape) {}

  // The controls a dialog has beyond its rows: filled and preselected after
  // them, before the caption.
  virtual void InitMore(DialogView& /*view*/,
                        const DeviceSettings& /*settings*/) {}
  // An event of a control that belongs to no row. True when handled.
  virtual bool HandleMore(DialogView& /*view*/, int /*control*/,
                          ControlNotification /*notification*/) {
    return false;
  }

  DialogServices& services_;

 private:
  ChannelDialogShape shape_;
};

}  // namespace vqx
