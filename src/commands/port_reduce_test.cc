// Faults at the image I/O seam while -N copies and verifies the header block.
#include "commands/port_reduce.h"

#include <gtest/gtest.h>

#include "console_capture.h"
#include "image/board_id.h"
#include "image_builder.h"
#include "mem_stream.h"

namespace {

constexpr std::uint32_t k_three_ports = 0xFD400;
const std::string k_asked =
    "current port num : 4, max port num : 4\n"
    "Please input the number of disabled network ports:";

// A four-port board whose block for three ports sums to exactly 0x80000000:
// header magic, port mask 0x7, one balancing word, the rest 0.
testimg::recipe four_port_board() {
  testimg::recipe r;
  r.sub_sys_id = testimg::sub_sys_id(0x0110, 0x00, 4, false);
  for (std::uint32_t off = k_three_ports + 4; off < k_three_ports + 0x400; off += 4) {
    r.words[off] = 0;
  }
  r.words[k_three_ports + 0x16C] = 0x7;
  r.words[k_three_ports + 4] = 0x80000000U - testimg::k_magic - 0x7U;
  return r;
}

class PortReduceCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    g_cfg = sys_ctrl_t{};
    g_cfg.chip_family = board::k_family_qm;
    g_cfg.max_port_num = 4;
    g_cfg.cur_port_num = 4;
    g_cfg.phy_type = 'I';
    g_file_modified = 0;
  }
  void TearDown() override {
    g_cfg = sys_ctrl_t{};
    g_file_modified = 0;
  }
};

TEST_F(PortReduceCopy, BoardWithoutAVariantBlockIsNotTouched) {
  for (const int ports : {0, 5, 6, 7}) {
    SCOPED_TRACE(ports);
    g_cfg.max_port_num = static_cast<std::uint8_t>(ports);
    mem_stream img(testimg::build(four_port_board()));
    console_capture con("1\n0\n");
    network_port_disable(img);
    EXPECT_EQ(con.out(), "current port num : 4, max port num : " + std::to_string(ports) +
                             "\nERROR, port num " + std::to_string(ports) +
                             " unsupport, the img carries header blocks for 1 to 4 ports\n");
    EXPECT_TRUE(img.reads().empty());
    EXPECT_TRUE(img.writes().empty());
    EXPECT_EQ(g_file_modified, 0);
  }
}

TEST_F(PortReduceCopy, ChecksumMismatchIsReportedWithTheWordsLeftInPlace) {
  mem_stream img(testimg::build(four_port_board()));
  img.corrupt_write_at = 0x8;  // a 0 word of the block lands as 1
  console_capture con("1\n");
  network_port_disable(img);
  EXPECT_EQ(con.out(), k_asked +
                           "\nConfiguration checksum error, please try again, "
                           "-2147483647, -2147483648\n");
  EXPECT_EQ(con.err(), "");
  EXPECT_EQ(g_cfg.cur_port_num, 4);
  EXPECT_EQ(g_file_modified, 1);
  EXPECT_EQ(img.writes().size(), 256U);
  EXPECT_EQ(img.word(0x8), 1U);
  EXPECT_EQ(img.word(0x16C), 0x7U);
}

TEST_F(PortReduceCopy, FailedWriteStopsTheCopyWithoutConfirmation) {
  mem_stream img(testimg::build(four_port_board()));
  img.fail_write_at = 0x200;
  console_capture con("1\n");
  network_port_disable(img);
  EXPECT_EQ(con.out(), k_asked);
  EXPECT_EQ(con.err(), "[ERROR] Fail to write image at 0x200: injected fault\n");
  EXPECT_EQ(img.writes().size(), 128U);  // none after the failed one
  EXPECT_TRUE(img.failed());
  EXPECT_EQ(g_cfg.cur_port_num, 4);
  EXPECT_EQ(g_file_modified, 1);
}

}  // namespace
