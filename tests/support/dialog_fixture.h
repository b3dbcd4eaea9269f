// A settings dialog opened on the recording fakes: the fixture of the
// dialog tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_dialog_view.h"

namespace vqx::testing {

// One press of a set button after an optional choice in a list.
struct SetCase {
  int list;  // 0: no choice first
  int index;
  int button;
  std::string line;  // "" = nothing sent
};

// Opens a dialog of class D on the services given: the entry of a table of
// dialogs.
template <class D>
std::function<std::unique_ptr<Dialog>(DialogServices&)> Maker() {
  return [](DialogServices& services) { return std::make_unique<D>(services); };
}

template <class D>
class DialogFixture : public ::testing::Test {
 protected:
  void Open() { dialog_.OnInit(view_); }
  void Change(const std::function<void(DeviceSettings&)>& change) {
    fakes_.settings.Update(change);
  }
  DeviceSettings Settings() { return fakes_.settings.Snapshot(); }
  std::vector<std::string>& Lines() { return fakes_.sink.lines; }
  void Choose(int control, int index) { view_.Choose(dialog_, control, index); }
  void Click(int control) { view_.Click(dialog_, control); }

  // Runs the cases in order on the open dialog (choices stay in the record
  // from one case to the next) and compares each press's lines.
  void ExpectSetLines(const std::vector<SetCase>& cases);

  FakeDialogServices fakes_;
  D dialog_{fakes_.services};
  FakeDialogView view_;
};

template <class D>
void DialogFixture<D>::ExpectSetLines(const std::vector<SetCase>& cases) {
  for (const SetCase& c : cases) {
    SCOPED_TRACE(c.line.empty() ? "nothing" : c.line);
    Lines().clear();
    if (c.list != 0) Choose(c.list, c.index);
    Click(c.button);
    if (c.line.empty()) {
      EXPECT_TRUE(Lines().empty());
    } else {
      EXPECT_EQ(Lines(), std::vector<std::string>{c.line});
    }
  }
}

}  // namespace vqx::testing
