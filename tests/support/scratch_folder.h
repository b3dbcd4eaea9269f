// A fresh folder of the system's temporary folder for one test, removed with
// everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

namespace vqx::testing {

class ScratchFolder {
 public:
  // The folder is named after `prefix`, the run's random seed and the
  // running test, so parallel test processes never share one.
  explicit ScratchFolder(std::string_view prefix) {
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    path_ = std::filesystem::temp_directory_path() /
            (std::string(prefix) + "_" + std::to_string(unit.random_seed()) +
             "_" + unit.current_test_info()->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    // A test may have taken the write permission away.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const {
    return path_ / name;
  }

  // The UTF-8 path of `name` in the folder, as the program's file
  // operations take paths.
  std::string PathOf(std::string_view name) const {
    const std::u8string text = (path_ / name).u8string();
    return std::string(text.begin(), text.end());
  }
  std::string Contents(std::string_view name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  void Put(std::string_view name, std::string_view bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(path_),
                      std::filesystem::directory_iterator()));
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vqx::testing
