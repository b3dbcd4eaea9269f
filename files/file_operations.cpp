#include "files/file_operations.h"

#include <filesystem>
#include <system_error>

#include "base/file_io.h"
#include "files/settings_file.h"

namespace vqx {

namespace {

bool IsDirty(Core& core) {
  return core.settings.Update([](DeviceSettings& s) { return s.dirty != 0; });
}

bool SequenceRunning(Core& core) { return core.link.sequence_step != 0; }

void Show(FileMenuServices& services, std::optional<std::string_view> text,
          std::string_view caption) {
  if (services.on_file_shown) services.on_file_shown(text, caption);
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Writes the record as it is now to `path`; lowers `dirty` on success. A
// title edit cannot happen meanwhile (both run on the user-interface
// thread), so lowering the flag afterwards loses no change.
bool WriteCurrentSettings(FileMenuServices& services, const std::string& path) {
  DeviceSettings snapshot = services.core.settings.Snapshot();
  if (!WriteSettingsFile(path, snapshot)) {
    services.boxes.ShowWarningBox(kCannotOpenFile);
    return false;
  }
  services.core.settings.Update([](DeviceSettings& s) { s.dirty = 0; });
  return true;
}

}  // namespace

std::string CaptionForSettingsFile(std::string_view utf8_path) {
  std::string caption(kFileCaption);
  if (!utf8_path.empty()) {
    caption += " - ";
    caption += FileNameOf(utf8_path);
  }
  return caption;
}

void NewSettings(FileMenuServices& services) {
  Core& core = services.core;
  if (SequenceRunning(core)) return;
  if (IsDirty(core) && !services.boxes.AskYesNo(kNewQuestion, kFileCaption)) {
    return;
  }
  LoadDefaults(core);
  core.current_file_path.clear();
  Show(services, kNoFileNameText, kFileCaption);
}

void OpenSettings(FileMenuServices& services) {
  Core& core = services.core;
  if (SequenceRunning(core)) return;
  if (IsDirty(core) && !services.boxes.AskYesNo(kOpenQuestion, kFileCaption)) {
    return;
  }
  const std::optional<std::string> path =
      services.chooser.Choose(FileChooserMode::kOpen);
  if (!path) return;
  // The file is read before the record is locked; the values are then
  // stored in one step, so a read-back reply arriving meanwhile is either
  // overwritten by the file or kept where the file has no value.
  const std::optional<std::string> bytes =
      ReadWholeFile(PathFromUtf8(*path), kMaxSettingsFileBytes);
  if (!bytes) {
    services.boxes.ShowWarningBox(kCannotOpenFile);
    return;
  }
  core.settings.Update([&bytes](DeviceSettings& s) {
    ReadSettingsText(*bytes, s);
    s.dirty = 0;
  });
  core.current_file_path = *path;
  Show(services, core.current_file_path, CaptionForSettingsFile(*path));
}

std::optional<FileComparison> CompareWithFile(FileMenuServices& services,
                                              TextCodec& codec) {
  const std::optional<std::string> path =
      services.chooser.Choose(FileChooserMode::kCompare);
  if (!path) return std::nullopt;
  DeviceSettings file;
  LoadDefaultSettings(file);
  if (!ReadSettingsFile(*path, file)) {
    services.boxes.ShowWarningBox(kCannotOpenFile);
    return std::nullopt;
  }
  return FileComparison{
      std::string(FileNameOf(*path)),
      CompareSettings(services.core.settings.Snapshot(), file, codec)};
}

bool SaveSettings(FileMenuServices& services) {
  if (services.core.current_file_path.empty()) {
    services.boxes.ShowWarningBox(kNoCurrentFile);
    return false;
  }
  return WriteCurrentSettings(services, services.core.current_file_path);
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
  services.core.current_file_path = *path;
  Show(services, std::nullopt, CaptionForSettingsFile(*path));
  return true;
}

bool ConfirmExit(FileMenuServices& services) {
  if (!IsDirty(services.core)) return true;
  if (services.boxes.AskYesNo(kQuitQuestion, kFileCaption)) return true;
  return services.core.current_file_path.empty() ? SaveSettingsAs(services)
                                                 : SaveSettings(services);
}

}  // namespace vqx
