#include "files/settings_sheet.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "base/screen_layouts.h"
#include "base/settings_catalogue.h"
#include "base/settings_report.h"

namespace vqx {
namespace {

namespace cat = catalogue;

// Text for HTML and SVG, between tags and inside quoted attributes.
std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

const SettingsField& FieldNamed(std::string_view name) {
  for (const SettingsField& field : kSettingsCatalogue) {
    if (field.name == name) return field;
  }
  // Every name below is a field of the catalogue; the tests walk them all.
  return kSettingsCatalogue.front();
}

std::string ValueOf(const SettingsField& field, int entry,
                    const DeviceSettings& s, TextCodec& codec) {
  return SettingValueInWords({&field, entry}, s, codec);
}

// The columns of the channel table, left to right.
constexpr std::string_view kChannelColumns[] = {
    "title_text",        "vloss_detect",    "format_video",     "agc_enable",
    "adjust_brightness", "adjust_contrast", "adjust_sharpness", "adjust_hue",
    "adjust_saturation", "seq_dwell"};

// The record's layout field of each picture.
constexpr std::array<std::string_view, 5> kLayoutFields = {
    "layout_4a", "layout_4b", "layout_6a", "layout_6b", "layout_9"};

bool InChannelTable(const SettingsField& field, int entry) {
  if (field.name == "seq_dwell") return entry < kChannelCount;
  return std::find(std::begin(kChannelColumns), std::end(kChannelColumns),
                   field.name) != std::end(kChannelColumns);
}

bool InLayoutPictures(const SettingsField& field) {
  return std::find(kLayoutFields.begin(), kLayoutFields.end(), field.name) !=
         kLayoutFields.end();
}

// The short tables, one per dialog, in the order of the program's menu.
constexpr std::string_view kGroupDialogs[] = {
    cat::kAlarm, cat::kVideoLoss,     cat::kDateTime,
    cat::kTitle, cat::kAutoSwitching, cat::kOther};

constexpr std::string_view kStyle = R"(
@page { size: A4 portrait; margin: 15mm; }
* { box-sizing: border-box; }
html { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { font-family: "IPAPGothic", "IPAGothic", "Noto Sans CJK JP",
  "Yu Gothic", "Meiryo", sans-serif; font-size: 9pt; color: #000;
  width: 180mm; max-width: 100%; margin: 0 auto; }
h1 { font-size: 15pt; margin: 0 0 2mm; }
h2 { font-size: 11pt; margin: 5mm 0 2mm; border-bottom: 0.4mm solid #444;
  break-after: avoid; }
h3 { font-size: 9.5pt; margin: 0 0 1mm; }
table { border-collapse: collapse; break-inside: avoid; }
th, td { border: 0.2mm solid #777; padding: 0.6mm 1.2mm; text-align: left;
  vertical-align: top; }
th { background: #eee; font-weight: bold; }
.details th { background: none; border: none; padding-left: 0; }
.details td { border: none; }
.channels { width: 100%; table-layout: fixed; font-size: 8pt; }
.channels td.number, .channels td.choice { text-align: center; }
.channels col.title { width: 34mm; }
.channels col.channel { width: 11mm; }
.title { white-space: pre-wrap; overflow-wrap: anywhere; }
.layouts { display: grid; grid-template-columns: 1fr 1fr; gap: 4mm 6mm; }
figure { margin: 0; break-inside: avoid; }
figcaption { font-weight: bold; margin-bottom: 1mm; }
svg { display: block; width: 100%; height: auto; }
svg rect.pane { fill: #fff; stroke: #333; stroke-width: 2; }
svg rect.repeated { fill: #fde0c2; stroke: #c0392b; stroke-width: 4; }
svg rect.unplaced { fill: #ddd; stroke: #333; stroke-width: 2; }
svg text { font-family: inherit; fill: #000; }
svg text.label { fill: #555; }
.legend { margin: 2mm 0 0; }
.mark { color: #c0392b; font-weight: bold; }
.groups { display: grid; grid-template-columns: 1fr 1fr; gap: 4mm 6mm; }
.groups section { break-inside: avoid; }
.groups table { width: 100%; }
.groups td:first-child { width: 55%; }
)";

// The mark of a pane whose channel another pane shows too.
constexpr std::string_view kRepeatMark = "＊";

std::string DateText(const LocalTime& date) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d年%d月%d日", date.year, date.month,
                date.day);
  return text;
}

std::string Number(int value) { return std::to_string(value); }

void AppendHeading(std::string& page, const SheetDetails& details) {
  page += "<h1>VQX-460 設定一覧</h1>\n<table class=\"details\">\n";
  auto row = [&](std::string_view name, std::string_view value) {
    page += "<tr><th>" + Escaped(name) + "</th><td>" + Escaped(value) +
            "</td></tr>\n";
  };
  row("ファイル", details.file_name.empty()
                      ? kUntitledSheetName
                      : std::string_view(details.file_name));
  row("作成日", DateText(details.written));
  if (!details.site.empty()) row("設置場所", details.site);
  if (!details.device_version.empty()) {
    row("機器のバージョン", details.device_version);
  }
  page += "</table>\n";
}

std::string ColumnHeading(const SettingsField& field) {
  if (field.name == "seq_dwell") {
    return std::string(field.shown.dialog) + " " +
           std::string(field.shown.label);
  }
  return std::string(field.shown.label.empty() ? field.shown.dialog
                                               : field.shown.label);
}

void AppendChannelTable(std::string& page, const DeviceSettings& s,
                        TextCodec& codec) {
  page +=
      "<h2>チャンネル</h2>\n<table class=\"channels\">\n"
      "<colgroup><col class=\"channel\"><col class=\"title\">";
  for (std::size_t i = 1; i < std::size(kChannelColumns); ++i) {
    page += "<col>";
  }
  page += "</colgroup>\n<thead><tr><th>ch.</th>";
  for (std::string_view name : kChannelColumns) {
    page += "<th>" + Escaped(ColumnHeading(FieldNamed(name))) + "</th>";
  }
  page += "</tr></thead>\n<tbody>\n";
  for (int channel = 0; channel < kChannelCount; ++channel) {
    page += "<tr><td>" + Escaped(cat::kChannels[channel]) + "</td>";
    for (std::string_view name : kChannelColumns) {
      const SettingsField& field = FieldNamed(name);
      const char* kind = field.kind == FieldKind::kTitle            ? "title"
                         : field.shown.style == ShownStyle::kChoice ? "choice"
                                                                    : "number";
      page += "<td class=\"" + std::string(kind) + "\">" +
              Escaped(ValueOf(field, channel, s, codec)) + "</td>";
    }
    page += "</tr>\n";
  }
  page += "</tbody>\n</table>\n";
}

// One layout as a picture of the screen: 480 × 270 units (16:9), each pane
// with its label, its channel and that channel's title.
void AppendLayoutPicture(std::string& page, SplitLayout layout,
                         const DeviceSettings& s, TextCodec& codec) {
  constexpr int kWidth = 480;
  constexpr int kHeight = 270;
  constexpr int kUnitX = kWidth / kScreenGrid;
  constexpr int kUnitY = kHeight / kScreenGrid;
  const SplitLayoutShape& shape = ShapeOf(layout);
  const SettingsField& field =
      FieldNamed(kLayoutFields[static_cast<std::size_t>(layout)]);
  const std::span<const int> channels = SplitLayoutChannels(s, layout);
  const std::vector<bool> repeated = RepeatedPanes(channels);
  const std::string caption = Escaped(field.shown.label);
  page += "<figure class=\"layout\" data-layout=\"" +
          Escaped(SplitLayoutName(layout)) + "\"><figcaption>" + caption +
          "</figcaption>\n<svg viewBox=\"0 0 " +
          Number(kWidth) + " " + Number(kHeight) +
          "\" role=\"img\" aria-label=\"" + caption + "\">\n";
  for (std::size_t i = 0; i < shape.panes.size(); ++i) {
    const PaneRect& pane = shape.panes[i];
    const int x = pane.x * kUnitX;
    const int y = pane.y * kUnitY;
    const int w = pane.width * kUnitX;
    const int h = pane.height * kUnitY;
    const int channel = channels[i];
    const bool known = channel >= 0 && channel < kChannelCount;
    std::string channel_text = ValueOf(field, static_cast<int>(i), s, codec);
    if (repeated[i]) channel_text = std::string(kRepeatMark) + channel_text;
    const std::string title =
        known ? ValueOf(FieldNamed("title_text"), channel, s, codec) : "";
    const int channel_size = std::min(h * 28 / 100, 30);
    // A title of ten full-width characters fits the pane's width.
    const int title_size = std::min({w * 80 / 100 / 10, h * 18 / 100, 20});
    page += "<g class=\"pane\" data-pane=\"" + Number(static_cast<int>(i) + 1) +
            "\" data-channel=\"" + (known ? Number(channel + 1) : "") + "\"" +
            (repeated[i] ? " data-repeated=\"1\"" : "") + ">";
    page += "<rect class=\"" +
            std::string(repeated[i] ? "pane repeated" : "pane") + "\" x=\"" +
            Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(w) +
            "\" height=\"" + Number(h) + "\"/>";
    page += "<text class=\"label\" x=\"" + Number(x + 6) + "\" y=\"" +
            Number(y + 15) + "\" font-size=\"12\">" +
            Escaped(cat::kPaneLabels[i]) + "</text>";
    page += "<text class=\"channel\" x=\"" + Number(x + w / 2) + "\" y=\"" +
            Number(y + h / 2) + "\" font-size=\"" + Number(channel_size) +
            "\" font-weight=\"bold\" text-anchor=\"middle\">" +
            Escaped(channel_text) + "</text>";
    page += "<text class=\"title\" x=\"" + Number(x + w / 2) + "\" y=\"" +
            Number(y + h / 2 + title_size + channel_size / 3) +
            "\" font-size=\"" + Number(title_size) +
            "\" text-anchor=\"middle\" xml:space=\"preserve\">" +
            Escaped(title) + "</text>";
    page += "</g>\n";
  }
  for (const PaneRect& pane : shape.unplaced) {
    const int x = pane.x * kUnitX;
    const int y = pane.y * kUnitY;
    const int w = pane.width * kUnitX;
    const int h = pane.height * kUnitY;
    page +=
        "<g class=\"unplaced\"><rect class=\"unplaced\" x=\"" + Number(x) +
        "\" y=\"" + Number(y) + "\" width=\"" + Number(w) + "\" height=\"" +
        Number(h) + "\"/><text x=\"" + Number(x + w / 2) + "\" y=\"" +
        Number(y + h / 2 + 5) +
        "\" font-size=\"13\" text-anchor=\"middle\">（配置なし）</text></g>\n";
  }
  page += "</svg></figure>\n";
}

void AppendLayouts(std::string& page, const DeviceSettings& s,
                   TextCodec& codec) {
  page += "<h2>" + Escaped(cat::kDisplayChannel) +
          "（分割画面の配置）</h2>\n<div class=\"layouts\">\n";
  for (SplitLayout layout : kSplitLayouts) {
    AppendLayoutPicture(page, layout, s, codec);
  }
  page +=
      "</div>\n<p class=\"legend\"><span class=\"mark\">" +
      std::string(kRepeatMark) +
      "</span>と赤枠の画面: 同じチャンネルを別の画面にも表示しています。</p>\n";
}

void AppendGroups(std::string& page, const DeviceSettings& s,
                  TextCodec& codec) {
  page += "<h2>その他の設定</h2>\n<div class=\"groups\">\n";
  for (std::string_view dialog : kGroupDialogs) {
    std::string rows;
    for (const SettingsValue& value : SettingsValues()) {
      const SettingsField& field = *value.field;
      if (field.shown.dialog != dialog || InChannelTable(field, value.entry) ||
          InLayoutPictures(field)) {
        continue;
      }
      std::string place = SettingPlaceInWords(value);
      const std::string prefix = std::string(dialog) + " / ";
      if (place.starts_with(prefix)) place.erase(0, prefix.size());
      rows += "<tr><td>" + Escaped(place) + "</td><td>" +
              Escaped(SettingValueInWords(value, s, codec)) + "</td></tr>\n";
    }
    if (rows.empty()) continue;
    page += "<section><h3>" + Escaped(dialog) + "</h3>\n<table>\n" + rows +
            "</table></section>\n";
  }
  page += "</div>\n";
}

}  // namespace

std::string BuildSettingsSheet(const DeviceSettings& settings,
                               const SheetDetails& details, TextCodec& codec) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>VQX-460 設定一覧 ";
  page +=
      Escaped(details.file_name.empty() ? kUntitledSheetName
                                        : std::string_view(details.file_name));
  page += "</title>\n<style>";
  page += kStyle;
  page += "</style>\n</head>\n<body>\n";
  AppendHeading(page, details);
  AppendChannelTable(page, settings, codec);
  AppendLayouts(page, settings, codec);
  AppendGroups(page, settings, codec);
  page += "</body>\n</html>\n";
  return page;
}

}  // namespace vqx
