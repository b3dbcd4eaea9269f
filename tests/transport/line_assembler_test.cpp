#include "transport/line_assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vqx {
namespace {

class LineAssemblerTest : public ::testing::Test {
 protected:
  void Feed(std::string_view bytes) {
    assembler.Feed(bytes,
                   [&](std::string_view line) { lines.emplace_back(line); });
  }
  LineAssembler assembler;
  std::vector<std::string> lines;
};

TEST_F(LineAssemblerTest, ReplySplitAcrossReadsIsAssembled) {
  Feed("G");
  EXPECT_TRUE(lines.empty());
  Feed("O\r");
  EXPECT_TRUE(lines.empty());
  Feed("\n");
  EXPECT_EQ(lines, std::vector<std::string>{"GO\r\n"});
  EXPECT_EQ(assembler.pending(), 0u);
}

TEST_F(LineAssemblerTest, TwoRepliesInOneReadAreHandedOverSeparately) {
  Feed("GO\r\nE3\r\n");
  EXPECT_EQ(lines, (std::vector<std::string>{"GO\r\n", "E3\r\n"}));
}

TEST_F(LineAssemblerTest, PartialLineAfterACompleteOneWaitsForItsLf) {
  Feed("AMI\r\nVLNN");
  EXPECT_EQ(lines, std::vector<std::string>{"AMI\r\n"});
  EXPECT_EQ(assembler.pending(), 4u);
  Feed("NNNNNN\r\n");
  EXPECT_EQ(lines, (std::vector<std::string>{"AMI\r\n", "VLNNNNNNNN\r\n"}));
}

TEST_F(LineAssemblerTest, NulBytesAreKeptAsData) {
  Feed(std::string_view("G\0O\r\n", 5));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], std::string("G\0O\r\n", 5));
}

TEST_F(LineAssemblerTest, LongestLineIsDelivered) {
  const std::string line = std::string(597, 'X') + "\r\n";  // 599 bytes
  Feed(line);
  EXPECT_EQ(lines, std::vector<std::string>{line});
}

TEST_F(LineAssemblerTest, OverlongTextIsDiscardedAndANewLineBegins) {
  // 599 bytes without LF fill the buffer; the next byte starts over.
  Feed(std::string(599, 'X'));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(assembler.pending(), 599u);
  Feed("GO\r\n");
  EXPECT_EQ(lines, std::vector<std::string>{"GO\r\n"});

  // Much more than a buffer in one read, then a reply.
  lines.clear();
  Feed(std::string(5000, 'Y') + "\r\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_LE(lines[0].size(), LineAssembler::kMaxLineBytes);
  Feed("E0\r\n");
  EXPECT_EQ(lines.back(), "E0\r\n");
}

}  // namespace
}  // namespace vqx
