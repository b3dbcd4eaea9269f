#include "files/file_operations.h"

#include <filesystem>
#include <system_error>

#include "base/file_io.h"
#include "files/settings_file.h"
#include "files/settings_sheet.h"

namespace vqx {

namespace {

bool IsDirty(SettingsStore& settings) {
  return settings.Update([](DeviceSettings& s) { return s.dirty != 0; });
}

void Show(FileMenuServices& services, std::optional<std::string_view> text,
          std::string_view caption) {
  if (services.on_file_shown) services.on_file_shown(text, caption);
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A page's name ends in ".html" or ".htm", in any case.
bool HasPageSuffix(std::string_view path) {
  std::string tail(path.substr(path.size() > 5 ? path.size() - 5 : 0));
  for (char& c : tail) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return tail.ends_with(".html") || tail.ends_with(".htm");
}

// Writes the record as it is now to `path`; lowers `dirty` on success. A
// title edit cannot happen meanwhile (both run on the user-interface
// thread), so lowering the flag afterwards loses no change.
bool WriteCurrentSettings(FileMenuServices& services, const std::string& path) {
  DeviceSettings snapshot = services.settings.Snapshot();
  if (!WriteSettingsFile(path, snapshot)) {
    services.boxes.ShowWarningBox(kCannotOpenFile);
    return false;
  }
  services.settings.Update([](DeviceSettings& s) { s.dirty = 0; });
  return true;
}

// The settings in the file at `path`, or nothing after the box that says
// why not.
std::optional<DeviceSettings> ReadChosenFile(FileMenuServices& services,
                                             const std::string& path) {
  const std::optional<std::string> bytes =
      ReadWholeFile(PathFromUtf8(path), kMaxSettingsFileBytes);
  if (!bytes) {
    services.boxes.ShowWarningBox(kCannotOpenFile);
    return std::nullopt;
  }
  ParsedSettingsFile parsed = ParseSettingsText(*bytes);
  if (!parsed.values) {
    services.boxes.ShowWarningBox(
        SettingsFileRefusal(FileNameOf(path), parsed.error, services.codec));
  }
  return parsed.values;
}

}  // namespace

std::string SettingsFileRefusal(std::string_view file_name,
                                const SettingsFileError& error,
                                TextCodec& codec) {
  const std::string line = std::to_string(error.line) + " 行目";
  const std::string count = std::to_string(kSettingsFileLines);
  std::string detail;
  switch (error.problem) {
    case SettingsFileProblem::kCannotRead:
      return std::string(kCannotOpenFile);
    case SettingsFileProblem::kEmpty:
      detail = "ファイルが空です。値が " + count + " 個必要です。";
      break;
    case SettingsFileProblem::kNotANumber:
      detail = line + "（" + error.field + "）は整数のはずですが、" +
               (error.found.empty()
                    ? std::string("空の行です。")
                    : "「" + ShownFoundText(error.found, codec) + "」です。");
      break;
    case SettingsFileProblem::kEndsEarly:
      detail = line + "でファイルが終わっています。値が " + count +
               " 個必要ですが、" + std::to_string(error.values) +
               " 個しかありません。";
      break;
    case SettingsFileProblem::kExtraValue:
      detail = line + "に、" + count + " 個の値の後の「" +
               ShownFoundText(error.found, codec) + "」があります。";
      break;
  }
  return std::string(file_name) + " は設定ファイルとして読み込めません。\n" +
         detail + "\n設定は変更していません。";
}

std::string CaptionForSettingsFile(std::string_view utf8_path) {
  std::string caption(kFileCaption);
  if (!utf8_path.empty()) {
    caption += " - ";
    caption += FileNameOf(utf8_path);
  }
  return caption;
}

void NewSettings(FileMenuServices& services) {
  SettingsStore& settings = services.settings;
  if (services.activity.sequence_running()) return;
  if (IsDirty(settings) &&
      !services.boxes.AskYesNo(kNewQuestion, kFileCaption)) {
    return;
  }
  settings.Update([](DeviceSettings& s) { LoadDefaultSettings(s); });
  if (services.on_new) services.on_new();
  services.document.path.clear();
  Show(services, kNoFileNameText, kFileCaption);
}

void OpenSettings(FileMenuServices& services) {
  SettingsStore& settings = services.settings;
  if (services.activity.sequence_running()) return;
  if (IsDirty(settings) &&
      !services.boxes.AskYesNo(kOpenQuestion, kFileCaption)) {
    return;
  }
  const std::optional<std::string> path =
      services.chooser.Choose(FileChooserMode::kOpen);
  if (!path) return;
  // The file is read and checked before the record is locked; the values
  // are then stored in one step, so a read-back reply arriving meanwhile is
  // overwritten by the file.
  const std::optional<DeviceSettings> values = ReadChosenFile(services, *path);
  if (!values) return;
  settings.Update([&values](DeviceSettings& s) {
    ApplySettingsValues(*values, s);
    s.dirty = 0;
  });
  services.document.path = *path;
  Show(services, services.document.path, CaptionForSettingsFile(*path));
}

std::optional<FileComparison> CompareWithFile(
    FileMenuServices& services,
    std::span<const std::string_view> fields_not_read) {
  const std::optional<std::string> path =
      services.chooser.Choose(FileChooserMode::kCompare);
  if (!path) return std::nullopt;
  const std::optional<DeviceSettings> file = ReadChosenFile(services, *path);
  if (!file) return std::nullopt;
  return FileComparison{std::string(FileNameOf(*path)),
                        CompareSettings(services.settings.Snapshot(), *file,
                                        services.codec, fields_not_read)};
}

bool SaveSettings(FileMenuServices& services) {
  if (services.document.path.empty()) {
    services.boxes.ShowWarningBox(kNoCurrentFile);
    return false;
  }
  return WriteCurrentSettings(services, services.document.path);
}

bool SaveSettingsAs(FileMenuServices& services) {
  std::optional<std::string> path =
      services.chooser.Choose(FileChooserMode::kSave);
  if (!path) return false;
  if (NeedsDatSuffix(*path)) {
    *path += ".dat";
    // The file dialog asked about the name as typed; the name actually
    // written is asked about here.
    std::error_code error;
    if (std::filesystem::exists(PathFromUtf8(*path), error)) {
      std::string question(FileNameOf(*path));
      question += kOverwriteQuestionTail;
      if (!services.boxes.AskYesNo(question, kFileCaption)) return false;
    }
  }
  if (!WriteCurrentSettings(services, *path)) return false;
  services.document.path = *path;
  Show(services, std::nullopt, CaptionForSettingsFile(*path));
  return true;
}

std::optional<std::string> SaveSettingsSheet(FileMenuServices& services,
                                             Clock& clock) {
  std::optional<std::string> path =
      services.chooser.Choose(FileChooserMode::kSaveSheet);
  if (!path) return std::nullopt;
  if (!HasPageSuffix(*path)) {
    *path += ".html";
    std::error_code error;
    if (std::filesystem::exists(PathFromUtf8(*path), error)) {
      std::string question(FileNameOf(*path));
      question += kOverwriteQuestionTail;
      if (!services.boxes.AskYesNo(question, kFileCaption)) {
        return std::nullopt;
      }
    }
  }
  SheetDetails details;
  details.file_name = services.document.path.empty()
                          ? std::string(kUntitledSheetName)
                          : std::string(FileNameOf(services.document.path));
  details.written = clock.Now();
  const std::string page =
      BuildSettingsSheet(services.settings.Snapshot(), details, services.codec);
  if (!WriteFileAtomically(PathFromUtf8(*path), page)) {
    services.boxes.ShowWarningBox(kCannotOpenFile);
    return std::nullopt;
  }
  return path;
}

bool ConfirmExit(FileMenuServices& services) {
  if (!IsDirty(services.settings)) return true;
  if (services.boxes.AskYesNo(kQuitQuestion, kFileCaption)) return true;
  return services.document.path.empty() ? SaveSettingsAs(services)
                                        : SaveSettings(services);
}

}  // namespace vqx
