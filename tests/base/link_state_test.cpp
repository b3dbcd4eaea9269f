// The memory of lines whose echo may come back.
#include "base/link_state.h"

#include <gtest/gtest.h>

#include <string>

namespace vqx {
namespace {

TEST(SentLineEchoesTest, EchoesComeBackInOrderAndOnlyOnce) {
  SentLineEchoes echoes;
  echoes.Note("05RAM\r\n");
  echoes.Note("05RAP\r\n");
  echoes.Note("05RAM\r\n");
  EXPECT_FALSE(echoes.Take("05AMI\r\n"));  // a reply is no echo
  EXPECT_FALSE(echoes.Take("05RAM\n"));    // nor is a line that differs
  EXPECT_FALSE(echoes.Take("RAM\r\n"));    // the address is part of it
  EXPECT_TRUE(echoes.Take("05RAM\r\n"));
  EXPECT_TRUE(echoes.Take("05RAP\r\n"));
  EXPECT_TRUE(echoes.Take("05RAM\r\n"));
  EXPECT_FALSE(echoes.Take("05RAM\r\n"));
}

TEST(SentLineEchoesTest, ALostEchoIsForgottenWithTheNextOne) {
  SentLineEchoes echoes;
  echoes.Note("RAD\r\n");
  echoes.Note("RADT\r\n");
  EXPECT_TRUE(echoes.Take("RADT\r\n"));  // the echo of RAD was lost
  EXPECT_FALSE(echoes.Take("RAD\r\n"));
}

TEST(SentLineEchoesTest, KeepsOnlyTheNewestLines) {
  SentLineEchoes echoes;
  for (std::size_t i = 0; i < SentLineEchoes::kHeld + 3; ++i) {
    echoes.Note("L" + std::to_string(i) + "\r\n");
  }
  EXPECT_FALSE(echoes.Take("L2\r\n"));
  EXPECT_TRUE(echoes.Take("L3\r\n"));
  echoes.Clear();
  EXPECT_FALSE(echoes.Take("L10\r\n"));
}

}  // namespace
}  // namespace vqx
