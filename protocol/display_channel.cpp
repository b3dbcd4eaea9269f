#include "protocol/display_channel.h"

#include <algorithm>
#include <array>

#include "base/encoding.h"

namespace vqx {

std::string ScreenSelectionCommand(int screen) {
  if (screen >= 0 && screen < kChannelCount) {
    std::string line = "CS01\r\n";
    line[3] = static_cast<char>('1' + screen);
    return line;
  }
  switch (screen) {
    case kScreenSplit4A:
      return "CD4A\r\n";
    case kScreenSplit4B:
      return "CD4B\r\n";
    case kScreenSplit6A:
      return "CD6A\r\n";
    case kScreenSplit6B:
      return "CD6B\r\n";
    case kScreenSplit9:
      return "CD9\r\n";
    default:
      return "CCAS\r\n";
  }
}

void SendScreenSelection(CommandSink& sink, int screen) {
  sink.SendCommand(ScreenSelectionCommand(screen));
}

int LayoutPaneCount(Layout layout) {
  switch (layout) {
    case Layout::k4A:
    case Layout::k4B:
      return 4;
    case Layout::k6A:
    case Layout::k6B:
      return 6;
    case Layout::k9:
      break;
  }
  return 8;
}

std::span<int> LayoutEntries(DeviceSettings& settings, Layout layout) {
  switch (layout) {
    case Layout::k4A:
      return settings.layout_4a;
    case Layout::k4B:
      return settings.layout_4b;
    case Layout::k6A:
      return settings.layout_6a;
    case Layout::k6B:
      return settings.layout_6b;
    case Layout::k9:
      break;
  }
  return settings.layout_9;
}

std::span<const int> LayoutEntries(const DeviceSettings& settings,
                                   Layout layout) {
  // Only read through the result.
  return LayoutEntries(const_cast<DeviceSettings&>(settings), layout);
}

int LayoutChannelOnWire(int entry) {
  return std::clamp(entry, 0, kChannelCount - 1);
}

bool ChannelsDistinct(std::span<const int> values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (std::size_t j = i + 1; j < values.size(); ++j) {
      if (values[i] == values[j]) return false;
    }
  }
  return true;
}

std::string LayoutPlacementCommand(const DeviceSettings& settings,
                                   Layout layout, LayoutForm form) {
  struct Template {
    const char* plain;
    const char* n;
  };
  // The digits of the templates are the panes' factory channels; every one
  // of them is overwritten.
  static constexpr Template kTemplates[] = {
      {"SPD4A01020304\r\n", "SPD4AN01020304\r\n"},
      {"SPD4B01020304\r\n", "SPD4BN01020304\r\n"},
      {"SPD6A010203040506\r\n", "SPD6AN010203040506\r\n"},
      {"SPD6B010203040506\r\n", "SPD6BN010203040506\r\n"},
      {"SPD90102030405060708\r\n", "SPD9N0102030405060708\r\n"},
  };
  // Anything that is not one of the four other layouts is the 9-split, as in
  // LayoutEntries.
  const std::size_t index =
      std::min<std::size_t>(static_cast<std::size_t>(layout), 4);
  const Template& chosen = kTemplates[index];
  const bool n_form = form == LayoutForm::kN;
  std::string line = n_form ? chosen.n : chosen.plain;
  // The digits start right after "SPD", the layout name and the optional N.
  std::size_t position = (index == 4 ? 4 : 5) + (n_form ? 1 : 0);
  for (int entry : LayoutEntries(settings, layout)) {
    EncodeDecimal2(LayoutChannelOnWire(entry) + 1, &line[position]);
    position += 2;
  }
  return line;
}

void SendLayoutPlacement(CommandSink& sink, const DeviceSettings& settings,
                         Layout layout, LayoutForm form) {
  sink.SendCommand(LayoutPlacementCommand(settings, layout, form));
}

bool CheckAndSendLayoutPlacement(CommandSink& sink,
                                 const DeviceSettings& settings,
                                 MessageBoxes& boxes, Layout layout,
                                 LayoutForm form) {
  // Checked as they travel, so that two entries that reach the wire as the
  // same channel are refused too.
  const std::span<const int> entries = LayoutEntries(settings, layout);
  std::array<int, 8> channels{};
  std::transform(entries.begin(), entries.end(), channels.begin(),
                 LayoutChannelOnWire);
  if (!ChannelsDistinct(
          std::span<const int>(channels.data(), entries.size()))) {
    boxes.ShowErrorBox(kDuplicateChannelMessage);
    return false;
  }
  SendLayoutPlacement(sink, settings, layout, form);
  return true;
}

// Panes name channels 01..08.
void DecodeLayout4A(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_4a);
}

void DecodeLayout4B(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_4b);
}

void DecodeLayout6A(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_6a);
}

void DecodeLayout6B(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_6b);
}

void DecodeLayout9(DeviceSettings& s, std::string_view w) {
  NumberList(w, 4, 1, kChannelCount, 1, s.layout_9);
}

}  // namespace vqx
