// The settings file the program works on: where Save writes without asking.
// The file menu sets it on Open and Save As and forgets it on New; the
// main window shows its name. User-interface thread only.
#pragma once

#include <string>

namespace vqx {

struct SettingsDocument {
  std::string path;  // UTF-8; empty until Open or Save As
};

}  // namespace vqx
