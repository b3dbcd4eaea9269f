#include "files/file_operations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "files/settings_file.h"
#include "tests/support/fakes.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

namespace fs = std::filesystem;

using testing::Box;
using testing::RecordingBoxes;
using testing::ScriptedChooser;

struct Shown {
  std::optional<std::string> text;
  std::string caption;
  bool operator==(const Shown&) const = default;
};

class FileOperationsTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const {
    return folder_.PathOf(name);
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(PathFromUtf8(path), std::ios::binary) << bytes;
  }

  // A record that differs from the defaults, with a title edit pending.
  void EditTitle() {
    settings_.Update([](DeviceSettings& s) {
      s.title_text[0][0] = '\0';
      s.format_video[3] = 5;
      s.dirty = 1;
    });
  }
  DeviceSettings Record() { return settings_.Snapshot(); }
  int Dirty() { return Record().dirty; }

  // The file menu asks whether a run goes on; the link flags answer in
  // the program.
  struct Activity : SequenceActivity {
    bool sequence_running() const override { return running; }
    bool running = false;
  };

  SettingsStore settings_;
  RecordingBoxes boxes_;
  ScriptedChooser chooser_;
  testing::PassThroughCodec codec_;
  std::vector<Shown> shown_;
  int news_ = 0;  // times what else New resets was reset
  SettingsDocument document_;
  Activity sequences_;
  FileMenuServices services_{
      settings_,
      document_,
      sequences_,
      boxes_,
      chooser_,
      codec_,
      [this](std::optional<std::string_view> text, std::string_view caption) {
        shown_.push_back({text ? std::optional<std::string>(std::string(*text))
                               : std::nullopt,
                          std::string(caption)});
      },
      [this] { ++news_; }};
  testing::ScratchFolder folder_{"vqx_file_ops"};
};

const std::string kNoFileText =
    "File Name                                              ";

TEST_F(FileOperationsTest, NewResetsAndBlanksTheFileName) {
  ASSERT_EQ(kNoFileText.size(), 55u);
  document_.path = PathOf("old.dat");
  settings_.Update([](DeviceSettings& s) { s.format_video[3] = 5; });
  NewSettings(services_);
  EXPECT_TRUE(boxes_.shown.empty());  // nothing unsaved: no question
  EXPECT_EQ(Record().format_video[3], 0);
  EXPECT_EQ(news_, 1);
  EXPECT_EQ(document_.path, "");
  EXPECT_EQ(shown_, (std::vector<Shown>{{kNoFileText, "VQX-460"}}));
}

TEST_F(FileOperationsTest, NewAsksBeforeDiscardingATitleEdit) {
  EditTitle();
  boxes_.answers = {false};
  NewSettings(services_);
  EXPECT_EQ(
      boxes_.shown,
      (std::vector<Box>{
          {"question", "データを保存せずに新規作成しますか？", "VQX-460"}}));
  EXPECT_EQ(Dirty(), 1);
  EXPECT_EQ(Record().format_video[3], 5);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(news_, 0);

  boxes_.answers = {true};
  NewSettings(services_);
  EXPECT_EQ(Dirty(), 0);
  EXPECT_EQ(Record().format_video[3], 0);
}

TEST_F(FileOperationsTest, NewAndOpenDoNothingWhileASequenceRuns) {
  EditTitle();
  sequences_.running = true;
  NewSettings(services_);
  OpenSettings(services_);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(chooser_.modes.empty());
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(Record().format_video[3], 5);
  EXPECT_EQ(news_, 0);
  EXPECT_TRUE(sequences_.running);
}

TEST_F(FileOperationsTest, OpenLoadsTheChosenFile) {
  DeviceSettings saved;
  LoadDefaultSettings(saved);
  saved.adjust_hue[2] = 200;
  const std::string path = PathOf("site.dat");
  Put(path, WriteSettingsText(saved));
  EditTitle();
  boxes_.answers = {true};
  chooser_.paths = {path};
  OpenSettings(services_);
  EXPECT_EQ(boxes_.shown,
            (std::vector<Box>{{"question",
                               "データを保存せずに別のファイルを開きますか？",
                               "VQX-460"}}));
  EXPECT_EQ(chooser_.modes,
            std::vector<FileChooserMode>{FileChooserMode::kOpen});
  const DeviceSettings loaded = Record();
  EXPECT_EQ(std::memcmp(&loaded, &saved, sizeof saved), 0);
  EXPECT_EQ(document_.path, path);
  EXPECT_EQ(shown_, (std::vector<Shown>{{path, "VQX-460 - site.dat"}}));
}

TEST_F(FileOperationsTest, OpenDeclinedOrCancelledChangesNothing) {
  EditTitle();
  boxes_.answers = {false};
  OpenSettings(services_);
  EXPECT_TRUE(chooser_.modes.empty());

  boxes_.answers = {true};
  chooser_.paths = {std::nullopt};
  OpenSettings(services_);
  EXPECT_EQ(boxes_.shown.size(), 2u);  // two questions, no message
  EXPECT_EQ(Dirty(), 1);
  EXPECT_EQ(document_.path, "");
  EXPECT_TRUE(shown_.empty());
}

TEST_F(FileOperationsTest, OpenOfAMissingFileWarns) {
  document_.path = PathOf("current.dat");
  chooser_.paths = {PathOf("missing.dat")};
  OpenSettings(services_);
  EXPECT_EQ(boxes_.shown, (std::vector<Box>{{"warning", "Can't file open"}}));
  EXPECT_EQ(document_.path, PathOf("current.dat"));
  EXPECT_TRUE(shown_.empty());
}

// A file that is no settings file (one cut short, a text file chosen
// through "すべて(*.*)") is refused with a box naming it, the line and what
// was expected, and nothing changes: a later Save must not overwrite it,
// and the title edit is still unsaved.
TEST_F(FileOperationsTest, OpenOfABadFileChangesNothing) {
  const std::pair<std::string, std::string> cases[] = {
      {"short.dat", "1\n1\n"}, {"notes.txt", "Meeting notes\n"}};
  const std::string values = std::to_string(kSettingsFileLines);
  const std::string boxes[] = {
      "short.dat は設定ファイルとして読み込めません。\n"
      "2 行目でファイルが終わっています。値が " +
          values +
          " 個必要ですが、2 個しかありません。\n設定は変更していません。",
      "notes.txt は設定ファイルとして読み込めません。\n"
      "1 行目（alarm_mode）は整数のはずですが、「Meeting」です。\n"
      "設定は変更していません。"};
  document_.path = PathOf("current.dat");
  EditTitle();
  const DeviceSettings before = Record();
  for (int i = 0; i < 2; ++i) {
    Put(PathOf(cases[i].first), cases[i].second);
    boxes_.answers = {true};
    chooser_.paths = {PathOf(cases[i].first)};
    OpenSettings(services_);
    EXPECT_EQ(boxes_.Take(),
              (std::vector<Box>{
                  {"question", "データを保存せずに別のファイルを開きますか？",
                   "VQX-460"},
                  {"warning", boxes[i]}}));
    const DeviceSettings after = Record();
    EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0);  // dirty too
    EXPECT_EQ(document_.path, PathOf("current.dat"));
    EXPECT_TRUE(shown_.empty());
  }
}

// "ファイルと比較" reads the file as Open does: a bad file gives the same
// box and no comparison. The fields it is told no read-all reads are
// flagged.
TEST_F(FileOperationsTest, CompareRefusesABadFileAndFlagsFieldsNotRead) {
  Put(PathOf("bad.dat"), "1\n1\n");
  DeviceSettings file;
  LoadDefaultSettings(file);
  file.alarm_mode = 1;
  file.layout_2[0] = 4;
  Put(PathOf("good.dat"), WriteSettingsText(file));
  chooser_.paths = {PathOf("bad.dat"), PathOf("good.dat")};
  EXPECT_FALSE(CompareWithFile(services_));
  const std::string values = std::to_string(kSettingsFileLines);
  EXPECT_EQ(boxes_.Take(),
            (std::vector<Box>{{"warning",
                               "bad.dat は設定ファイルとして読み込めません。\n"
                               "2 行目でファイルが終わっています。値が " +
                                   values +
                                   " 個必要ですが、2 個しかありません。\n"
                                   "設定は変更していません。"}}));
  const std::string_view not_read[] = {"layout_2"};
  const std::optional<FileComparison> comparison =
      CompareWithFile(services_, not_read);
  ASSERT_TRUE(comparison);
  EXPECT_EQ(comparison->file_name, "good.dat");
  ASSERT_EQ(comparison->differences.size(), 2u);
  EXPECT_FALSE(comparison->differences[0].not_read_by_read_all);
  EXPECT_EQ(comparison->differences[1].name, "layout_2[pane 1]");
  EXPECT_TRUE(comparison->differences[1].not_read_by_read_all);
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(FileOperationsTest, SaveWithoutAFileWarns) {
  EditTitle();
  EXPECT_FALSE(SaveSettings(services_));
  EXPECT_EQ(boxes_.shown, (std::vector<Box>{{"warning", "Don't file open"}}));
  EXPECT_TRUE(chooser_.modes.empty());  // never falls back to Save As
  EXPECT_EQ(Dirty(), 1);
}

TEST_F(FileOperationsTest, SaveWritesTheCurrentFile) {
  EditTitle();
  document_.path = PathOf("current.dat");
  EXPECT_TRUE(SaveSettings(services_));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(Dirty(), 0);
  EXPECT_EQ(Contents(document_.path), WriteSettingsText(Record()));
  EXPECT_TRUE(shown_.empty());
}

TEST_F(FileOperationsTest, FailedSaveWarnsAndKeepsDirty) {
  EditTitle();
  fs::create_directory(folder_ / "taken.dat");
  document_.path = PathOf("taken.dat");
  EXPECT_FALSE(SaveSettings(services_));
  EXPECT_EQ(boxes_.shown, (std::vector<Box>{{"warning", "Can't file open"}}));
  EXPECT_EQ(Dirty(), 1);
}

// A write-protected file is not replaced, whoever runs the program (the
// rename would succeed even so), and no temporary file is left beside it.
TEST_F(FileOperationsTest, SaveAndSaveAsLeaveAWriteProtectedFile) {
  const std::string path = PathOf("locked.dat");
  Put(path, "precious");
  fs::permissions(PathFromUtf8(path), fs::perms::owner_read |
                                          fs::perms::group_read |
                                          fs::perms::others_read);
  EditTitle();
  document_.path = path;
  EXPECT_FALSE(SaveSettings(services_));
  EXPECT_EQ(boxes_.Take(), (std::vector<Box>{{"warning", "Can't file open"}}));

  document_.path = PathOf("current.dat");
  chooser_.paths = {path};
  EXPECT_FALSE(SaveSettingsAs(services_));
  EXPECT_EQ(boxes_.Take(), (std::vector<Box>{{"warning", "Can't file open"}}));
  EXPECT_EQ(document_.path, PathOf("current.dat"));
  EXPECT_EQ(Dirty(), 1);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(Contents(path), "precious");
  EXPECT_EQ(folder_.EntryCount(), 1u);
  fs::permissions(PathFromUtf8(path), fs::perms::owner_write,
                  fs::perm_options::add);
}

TEST_F(FileOperationsTest, SaveAsAppendsDatWhereTheNameLacksIt) {
  struct Case {
    std::string typed;
    std::string written;
  };
  const Case cases[] = {
      {"plain", "plain.dat"},
      {"ready.dat", "ready.dat"},
      {"upper.DAT", "upper.DAT.dat"},
      {"second.dat.bak", "second.dat.bak"},
  };
  for (const Case& c : cases) {
    shown_.clear();
    EditTitle();
    chooser_.paths = {PathOf(c.typed)};
    EXPECT_TRUE(SaveSettingsAs(services_)) << c.typed;
    EXPECT_EQ(document_.path, PathOf(c.written));
    EXPECT_EQ(Contents(PathOf(c.written)), WriteSettingsText(Record()));
    EXPECT_EQ(Dirty(), 0);
    // The caption names the file; the drawn file name stays.
    EXPECT_EQ(shown_,
              (std::vector<Shown>{{std::nullopt, "VQX-460 - " + c.written}}));
  }
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(chooser_.modes.back(), FileChooserMode::kSave);
}

TEST_F(FileOperationsTest, SaveAsAsksBeforeTheAppendedNameOverwrites) {
  Put(PathOf("site.dat"), "precious");
  EditTitle();
  chooser_.paths = {PathOf("site")};
  boxes_.answers = {false};
  EXPECT_FALSE(SaveSettingsAs(services_));
  EXPECT_EQ(boxes_.shown,
            (std::vector<Box>{{"question",
                               "site.dat は既に存在します。上書きしますか？",
                               "VQX-460"}}));
  EXPECT_EQ(Contents(PathOf("site.dat")), "precious");
  EXPECT_EQ(document_.path, "");
  EXPECT_EQ(Dirty(), 1);

  chooser_.paths = {PathOf("site")};
  boxes_.answers = {true};
  EXPECT_TRUE(SaveSettingsAs(services_));
  EXPECT_EQ(Contents(PathOf("site.dat")), WriteSettingsText(Record()));
  EXPECT_EQ(document_.path, PathOf("site.dat"));
}

TEST_F(FileOperationsTest, SaveAsCancelledOrFailedKeepsThePath) {
  EditTitle();
  document_.path = PathOf("current.dat");
  chooser_.paths = {std::nullopt};
  EXPECT_FALSE(SaveSettingsAs(services_));
  EXPECT_TRUE(boxes_.shown.empty());

  chooser_.paths = {PathOf("no/such/folder/x.dat")};
  EXPECT_FALSE(SaveSettingsAs(services_));
  EXPECT_EQ(boxes_.shown, (std::vector<Box>{{"warning", "Can't file open"}}));
  EXPECT_EQ(document_.path, PathOf("current.dat"));
  EXPECT_EQ(Dirty(), 1);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(FileOperationsTest, ExitWithoutAnEditAsksNothing) {
  EXPECT_TRUE(ConfirmExit(services_));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(FileOperationsTest, ExitWithAnEdit) {
  const Box kQuestion{"question", "データを保存せずに終了しますか？",
                      "VQX-460"};
  EditTitle();
  boxes_.answers = {true};  // quit without saving
  EXPECT_TRUE(ConfirmExit(services_));

  // No file yet: Save As. Cancelling it keeps the program open.
  boxes_.shown.clear();
  boxes_.answers = {false};
  chooser_.paths = {std::nullopt};
  EXPECT_FALSE(ConfirmExit(services_));
  EXPECT_EQ(boxes_.shown, std::vector<Box>{kQuestion});
  EXPECT_EQ(chooser_.modes,
            std::vector<FileChooserMode>{FileChooserMode::kSave});

  // A failed save keeps it open too.
  boxes_.shown.clear();
  fs::create_directory(folder_ / "taken.dat");
  document_.path = PathOf("taken.dat");
  boxes_.answers = {false};
  EXPECT_FALSE(ConfirmExit(services_));
  EXPECT_EQ(boxes_.shown,
            (std::vector<Box>{kQuestion, {"warning", "Can't file open"}}));

  // A current file is saved, and then the program may quit.
  document_.path = PathOf("current.dat");
  boxes_.answers = {false};
  EXPECT_TRUE(ConfirmExit(services_));
  EXPECT_EQ(Dirty(), 0);
  EXPECT_EQ(Contents(PathOf("current.dat")), WriteSettingsText(Record()));
}

TEST(CaptionForSettingsFile, NamesTheFileOnly) {
  EXPECT_EQ(CaptionForSettingsFile(""), "VQX-460");
  EXPECT_EQ(CaptionForSettingsFile("/home/u/a.dat"), "VQX-460 - a.dat");
  EXPECT_EQ(CaptionForSettingsFile("C:\\data\\b.dat"), "VQX-460 - b.dat");
  EXPECT_EQ(CaptionForSettingsFile("c.dat"), "VQX-460 - c.dat");
}

}  // namespace
}  // namespace vqx
