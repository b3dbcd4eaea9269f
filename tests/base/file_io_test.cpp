// Whole-file reading and the replace-in-one-step writing, on the disk of the
// platform the tests run on.
#include "base/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// Symbolic links need a privilege on Windows; where they cannot be made,
// the tests that need one are skipped.
bool MakeLink(const fs::path& target, const fs::path& link) {
  std::error_code error;
  fs::create_symlink(target, link, error);
  return !error;
}

TEST(WriteFileAtomically, ReplacesTheFileAndLeavesNothingBeside) {
  ScratchFolder folder("vqx_file_io");
  folder.Put("a.dat", "old");
  ASSERT_TRUE(WriteFileAtomically(folder / "a.dat", "new contents"));
  EXPECT_EQ(folder.Contents("a.dat"), "new contents");
  EXPECT_EQ(folder.EntryCount(), 1u);
  ASSERT_TRUE(WriteFileAtomically(folder / "b.dat", "created"));
  EXPECT_EQ(folder.Contents("b.dat"), "created");
}

TEST(WriteFileAtomically, WritesTheFileALinkPointsTo) {
  ScratchFolder folder("vqx_file_io");
  folder.Put("real.dat", "old");
  if (!MakeLink("real.dat", folder / "link.dat")) GTEST_SKIP();
  // A chain of links, and a link to a file not made yet.
  ASSERT_TRUE(MakeLink("link.dat", folder / "chain.dat"));
  ASSERT_TRUE(MakeLink("later.dat", folder / "dangling.dat"));

  ASSERT_TRUE(WriteFileAtomically(folder / "chain.dat", "through two"));
  EXPECT_EQ(folder.Contents("real.dat"), "through two");
  EXPECT_TRUE(fs::is_symlink(folder / "link.dat"));
  EXPECT_TRUE(fs::is_symlink(folder / "chain.dat"));

  ASSERT_TRUE(WriteFileAtomically(folder / "dangling.dat", "made"));
  EXPECT_EQ(folder.Contents("later.dat"), "made");
  EXPECT_TRUE(fs::is_symlink(folder / "dangling.dat"));
  EXPECT_EQ(folder.EntryCount(), 5u);
}

TEST(WriteFileAtomically, RefusesALoopOfLinks) {
  ScratchFolder folder("vqx_file_io");
  if (!MakeLink("b.dat", folder / "a.dat")) GTEST_SKIP();
  ASSERT_TRUE(MakeLink("a.dat", folder / "b.dat"));
  EXPECT_FALSE(WriteFileAtomically(folder / "a.dat", "x"));
  EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(WriteFileAtomically, FolderIsNoFile) {
  ScratchFolder folder("vqx_file_io");
  fs::create_directory(folder / "sub");
  EXPECT_FALSE(WriteFileAtomically(folder / "sub", "x"));
  EXPECT_TRUE(fs::is_directory(folder / "sub"));
}

// A write-protected file stays as it is, even for an account the rename
// would let through (root; or any owner of the folder on POSIX), and no
// temporary file is left beside it (Windows cannot remove a read-only one).
TEST(WriteFileAtomically, LeavesAWriteProtectedFileAndNothingBeside) {
  ScratchFolder folder("vqx_file_io");
  folder.Put("locked.dat", "precious");
  const fs::path locked = folder / "locked.dat";
  EXPECT_FALSE(IsWriteProtected(locked));
  EXPECT_FALSE(IsWriteProtected(folder / "missing.dat"));
  fs::permissions(
      locked,
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  EXPECT_TRUE(IsWriteProtected(locked));
  EXPECT_FALSE(WriteFileAtomically(locked, "new contents"));
  bool linked = MakeLink("locked.dat", folder / "link.dat");
  if (linked) {
    EXPECT_TRUE(IsWriteProtected(folder / "link.dat"));
    EXPECT_FALSE(WriteFileAtomically(folder / "link.dat", "new contents"));
  }
  EXPECT_EQ(folder.Contents("locked.dat"), "precious");
  EXPECT_EQ(folder.EntryCount(), linked ? 2u : 1u);
  // Writable again, it is replaced as any other.
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(WriteFileAtomically(locked, "new contents"));
  EXPECT_EQ(folder.Contents("locked.dat"), "new contents");
}

TEST(ReadWholeFile, ReadsUpToItsLimit) {
  ScratchFolder folder("vqx_file_io");
  folder.Put("a.dat", std::string(100, 'x'));
  EXPECT_EQ(ReadWholeFile(folder / "a.dat", 100), std::string(100, 'x'));
  EXPECT_EQ(ReadWholeFile(folder / "a.dat", 99), std::nullopt);
  EXPECT_EQ(ReadWholeFile(folder / "none.dat", 100), std::nullopt);
  EXPECT_EQ(ReadWholeFile(folder.path(), 100), std::nullopt);
}

TEST(PathFromUtf8, KeepsJapaneseNames) {
  ScratchFolder folder("vqx_file_io");
  const std::string name = folder.PathOf("設定.dat");
  ASSERT_TRUE(WriteFileAtomically(PathFromUtf8(name), "x"));
  EXPECT_EQ(folder.Contents("設定.dat"), "x");
}

}  // namespace
}  // namespace vqx
