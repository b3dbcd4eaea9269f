// The File menu: New, Open, Save and Save As on the settings record, and the
// question asked before the program quits with an unsaved title edit.
//
// Everything runs on the user-interface thread. The record is only touched
// through the store, and no lock is held while a box or a file dialog is
// open.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/device_settings.h"
#include "base/platform.h"
#include "base/settings_report.h"
#include "files/settings_document.h"
#include "files/settings_file.h"

namespace vqx {

inline constexpr std::string_view kFileCaption = "VQX-460";
inline constexpr std::string_view kNewQuestion =
    "データを保存せずに新規作成しますか？";
inline constexpr std::string_view kOpenQuestion =
    "データを保存せずに別のファイルを開きますか？";
inline constexpr std::string_view kQuitQuestion =
    "データを保存せずに終了しますか？";
inline constexpr std::string_view kOverwriteQuestionTail =
    " は既に存在します。上書きしますか？";
inline constexpr std::string_view kCannotOpenFile = "Can't file open";
inline constexpr std::string_view kNoCurrentFile = "Don't file open";

// The box File > Open and "ファイルと比較" show for a file that is not a
// settings file: the file's name, the line and what was expected there.
// Every Japanese word of it is here. `found` is converted by `codec`.
std::string SettingsFileRefusal(std::string_view file_name,
                                const SettingsFileError& error,
                                TextCodec& codec);

// Shown in the main window where the file name goes after New: "File Name"
// and 46 blanks, wide enough to cover a path drawn there before.
inline const std::string kNoFileNameText = "File Name" + std::string(46, ' ');

// The window caption for a settings file: "VQX-460 - name.dat", or
// "VQX-460" when there is no file.
std::string CaptionForSettingsFile(std::string_view utf8_path);

// Tells the main window what to show for the current file. `text_to_draw`
// is drawn at the file-name place of the client area (nothing: leave what
// is drawn there); `caption` is the window caption.
using FileShownCallback = std::function<void(
    std::optional<std::string_view> text_to_draw, std::string_view caption)>;

// Whether a multi-command sequence (read-all, send-all, a set-all) is
// running: the file menu does nothing meanwhile, so a file cannot replace
// the record a run is sending or filling.
class SequenceActivity {
 public:
  virtual ~SequenceActivity() = default;
  virtual bool sequence_running() const = 0;
};

struct FileMenuServices {
  SettingsStore& settings;
  SettingsDocument& document;
  const SequenceActivity& activity;  // New and Open wait for a run's end
  MessageBoxes& boxes;
  FileChooser& chooser;
  TextCodec& codec;                 // for the refusal of a file
  FileShownCallback on_file_shown;  // may be empty
  // What else File > New returns to its start-up state with the record:
  // the link flags, the dialogs' selections. May be empty.
  std::function<void()> on_new;
};

// File > New. Does nothing while a sequence runs; asks first when a title
// edit is unsaved; then returns the record and whatever `on_new` resets to
// their defaults and forgets the current file, so a
// later Save cannot overwrite the file that was open before with the
// defaults.
void NewSettings(FileMenuServices& services);

// File > Open. Does nothing while a sequence runs; asks first when a title
// edit is unsaved; then lets the user choose a file and loads it. A file
// that cannot be read ("Can't file open") or is no settings file (the
// refusal above) changes nothing: not the record, not the current file,
// not `dirty`.
void OpenSettings(FileMenuServices& services);

// File > "ファイルと比較": the settings in memory (after a read-all, say)
// next to a chosen settings file, read as Open reads it. Nothing when the
// user cancels, or when the file cannot be read or is refused (the box is
// shown as Open shows it). The differences in `fields_not_read` (field
// names as the listing has them before any "[") are flagged: the memory
// holds no device's value for them.
struct FileComparison {
  std::string file_name;  // the file's name, without its folder
  std::vector<SettingsDifference> differences;  // the memory's value first
};
std::optional<FileComparison> CompareWithFile(
    FileMenuServices& services,
    std::span<const std::string_view> fields_not_read = {});

// File > Save: writes the current file. Returns true when it was written.
bool SaveSettings(FileMenuServices& services);

// File > Save As: chooses a path (".dat" appended when the name lacks it,
// asking before that longer name overwrites a file), writes it and makes it
// current. Returns true when it was written.
bool SaveSettingsAs(FileMenuServices& services);

// File > "設定一覧を保存…": chooses a path (".html" appended when the
// name lacks ".html" or ".htm", asking before that longer name overwrites a
// file) and writes the settings sheet of the record as it is now, named
// after the current file ("無題" without one) and dated today by `clock`.
// The record, the current file and `dirty` stay as they are. Returns the
// path written; nothing when the user cancelled or the write failed (after
// the box Save shows).
std::optional<std::string> SaveSettingsSheet(FileMenuServices& services,
                                             Clock& clock);

// The exit decision: true when the program may quit. With an unsaved title
// edit it asks whether to quit without saving; answering No saves (Save, or
// Save As when there is no current file) and the program stays open unless
// that save succeeded.
bool ConfirmExit(FileMenuServices& services);

}  // namespace vqx
