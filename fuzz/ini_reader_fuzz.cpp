// Arbitrary bytes as the program's INI file: the configuration is read
// without harm, and a key written into the text reads back as written while
// the other keys keep their values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "base/ini_file.h"
#include "dialogs/conventions.h"
#include "transport/link_config.h"

namespace {

class TextProfile : public vqx::ProfileStore {
 public:
  explicit TextProfile(std::string text) : text_(std::move(text)) {}
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) override {
    return vqx::FindIniValue(text_, section, key)
        .value_or(std::string(fallback));
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    text_ = vqx::SetIniValue(text_, section, key, value);
    return true;
  }

 private:
  std::string text_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  TextProfile profile(text);
  vqx::LinkConfig config;
  vqx::ReadLinkConfig(profile, config);
  if (config.select_number >= 0 && config.select_number < 97 &&
      !vqx::DialogCaption(config.select_number, "x")) {
    std::abort();
  }

  const std::optional<std::string> rs_before =
      vqx::FindIniValue(text, vqx::kIniSection, vqx::kRsControlKey);
  const std::optional<std::string> select_before =
      vqx::FindIniValue(text, vqx::kIniSection, vqx::kSelectNumberKey);
  vqx::WriteComPort(profile, config, 42);
  if (profile.GetString(vqx::kIniSection, vqx::kComPortKey, "") != "42") {
    std::abort();
  }
  const std::string changed =
      vqx::SetIniValue(text, vqx::kIniSection, vqx::kComPortKey, "42");
  if (vqx::FindIniValue(changed, vqx::kIniSection, vqx::kRsControlKey) !=
          rs_before ||
      vqx::FindIniValue(changed, vqx::kIniSection, vqx::kSelectNumberKey) !=
          select_before) {
    std::abort();
  }
  vqx::ReadLinkConfig(profile, config);
  if (config.com_port != 42) std::abort();
  return 0;
}
