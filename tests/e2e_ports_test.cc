// The per-port commands through the built tool: the 88E1512 PHY mode (-P),
// the driver port mode (-D) and the network port reduction (-N).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "e2e_runner.h"

namespace {

using e2e::scratch;

constexpr std::uint32_t k_header = 0xFF000;
constexpr std::uint32_t k_mv_mode = 0xFF010;
constexpr std::uint32_t k_drv_mode = 0xFF020;
constexpr std::uint8_t k_phy_m = 0x52;  // Marvell 88E1512
constexpr std::uint8_t k_phy_a = 0xA0;  // the PHY the driver port mode needs
constexpr std::uint32_t k_block_size = 0x400;

const std::string k_no_more_input = "\nERROR, no more input, nothing written\n";
const std::string k_too_large = "ERROR, Input Value too large, at most 32 bits\n";
const std::string k_not_supported = "ERROR, the img not support this option\n";

std::string negative(int v) {
  return "ERROR, Input Value (" + std::to_string(v) + ") < (0) invalid\n";
}

// A QM image whose sub-system ID gives `sid_ports` and whose active block
// carries `mask` as its port mask word.
testimg::recipe qm_board(std::uint8_t phy, unsigned sid_ports, std::uint32_t mask) {
  testimg::recipe r = e2e::qm_image(phy, sid_ports);
  r.port_mask = mask;
  return r;
}

// The image after `word` was written at `off`.
std::vector<std::uint8_t> with_word(std::vector<std::uint8_t> img, std::uint32_t off,
                                    std::uint32_t word) {
  testimg::put_word(&img, off, word);
  return img;
}

struct refusal {
  const char* what;
  testimg::recipe image;
  std::string input;
  std::string out;  // up to the end-of-run message
};

// Each refused run leaves the image byte for byte as it was, under its name.
void expect_refused(const std::string& option, const std::vector<refusal>& cases) {
  for (const refusal& c : cases) {
    SCOPED_TRACE(c.what);
    scratch s;
    const std::vector<std::uint8_t> before = s.put_image("board.img", c.image);
    const e2e::result r = s.run("-F board.img " + option, c.input);
    EXPECT_EQ(r.out, c.out + e2e::k_not_modified + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(s.files(), std::vector<std::string>{"board.img"});
    EXPECT_EQ(s.image("board.img"), before);
  }
}

// ---- -P

const std::string k_mv_prompt = "Please input config val of MV1512 phy mode :";

std::string mv_modes(int p0, int p1, int p2, int p3) {
  return "\nConfiguration completed successfully\nPHY MODE : port0 : 0x" + std::to_string(p0) +
         " port1 : 0x" + std::to_string(p1) + "\n           port2 : 0x" + std::to_string(p2) +
         " port3 : 0x" + std::to_string(p3) + "\n";
}

TEST(PhyMode, EntryStoredWholeAndModesShownPerPort) {
  struct mode_case {
    std::string input;
    std::uint32_t header_before;
    std::string out;  // after the first prompt, up to the end-of-run message
    std::uint32_t word;
    std::uint32_t header_after;
  };
  const std::vector<mode_case> cases = {
      {"4030201\n", 0xFFFFFFFF, mv_modes(1, 2, 3, 4), 0x04030201, 0x001055AA},
      {"ff\n", 0x000155AA, mv_modes(7, 0, 0, 0), 0x000000FF, 0x001155AA},
      {"ffffffff\n7fffffff\n", 0x12345678, negative(-1) + k_mv_prompt + mv_modes(7, 7, 7, 7),
       0x7FFFFFFF, 0x001055AA},
      {"0x0d0e0f08\n", 0x001055AA, mv_modes(0, 7, 6, 5), 0x0D0E0F08, 0x001055AA},
  };
  for (const mode_case& c : cases) {
    SCOPED_TRACE(c.input);
    scratch s;
    testimg::recipe rec = e2e::qm_image(k_phy_m, 2);
    rec.oem_header = c.header_before;
    const std::vector<std::uint8_t> before = s.put_image("board.img", rec);
    const e2e::result r = s.run("-F board.img -P", c.input);
    const std::string renamed = e2e::find_oem_image(s, "board");
    ASSERT_NE(renamed, "") << r.out;
    EXPECT_EQ(r.out, k_mv_prompt + c.out + e2e::renamed_line(renamed) + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(s.files(), std::vector<std::string>{renamed});
    EXPECT_EQ(s.image(renamed),
              with_word(with_word(before, k_mv_mode, c.word), k_header, c.header_after));
  }
}

TEST(PhyMode, RefusedOrInterruptedRunsWriteNothing) {
  expect_refused("-P", {
                           {"ZT image", e2e::zt_image(0x00), "1\n", k_not_supported},
                           {"PHY letter F", e2e::qm_image(0x50), "1\n",
                            "Current phy type F, not MV Phy(0x52)\n"},
                           {"erased sub-system ID", testimg::recipe{}, "1\n",
                            "sub sys id unsupport !Current phy type I, not MV Phy(0x52)\n"},
                           {"no input", e2e::qm_image(k_phy_m), "", k_mv_prompt + k_no_more_input},
                           {"input ends after a refusal", e2e::qm_image(k_phy_m), "100000000\n",
                            k_mv_prompt + k_too_large + k_mv_prompt + k_no_more_input},
                       });
}

// ---- -D

std::string port_prompt(int port) {
  return "Please input config val of port " + std::to_string(port) + ":";
}

std::string port_prompts(int from, int to) {
  std::string s;
  for (int p = from; p < to; ++p) s += port_prompt(p);
  return s;
}

const std::string k_one_mode_bit =
    "warning, from bit1 to bit4, only one BIT can be selected for each port\n";
const std::string k_drv_done = "\nConfiguration completed successfully :\n";

TEST(DrvPortMode, OneByteWrittenPerPortInUse) {
  struct drv_case {
    const char* what;
    testimg::recipe image;
    std::string input;
    std::string before_prompts;  // identification messages
    int ports;
    std::string shown;
    std::uint32_t word;
  };
  const std::vector<drv_case> cases = {
      {"one port", qm_board(k_phy_a, 1, 0x1), "102\n", "", 1, "  port0 : 0x82  ", 0x00000082},
      {"two ports", qm_board(k_phy_a, 2, 0x3), "2\n44\n", "", 2, "  port0 : 0x82    port1 : 0xc4  ",
       0x0000C482},
      {"mask 0x7 on four ports", qm_board(k_phy_a, 4, 0x7), "3\n22\n102\n", "", 3,
       "  port0 : 0x82    port1 : 0x82    port2 : 0x82  ", 0x00828282},
      {"four ports", qm_board(k_phy_a, 4, 0xF), "2\n4\n8\n10\n", "", 4,
       "  port0 : 0x82    port1 : 0x84    port2 : 0x88    port3 : 0x90  ", 0x90888482},
      {"mask 0xF on three ports, rest of line and empty line skipped", qm_board(k_phy_a, 3, 0xF),
       "42 5\n\n  8\n0x7fffff50\n", "", 3, "  port0 : 0xc2    port1 : 0x88    port2 : 0xd0  ",
       0x00D088C2},
      {"unknown mask takes the board's count", qm_board(k_phy_a, 2, 0x5), "4\n10\n", "", 2,
       "  port0 : 0x84    port1 : 0x90  ", 0x00009084},
      {"six-port board with four in use", qm_board(k_phy_a, 6, 0xF), "10\n8\n4\n2\n",
       "sid port num 6 unsupport\n", 4,
       "  port0 : 0x90    port1 : 0x88    port2 : 0x84    port3 : 0x82  ", 0x82848890},
  };
  for (const drv_case& c : cases) {
    SCOPED_TRACE(c.what);
    scratch s;
    testimg::recipe rec = c.image;
    rec.oem_header = 0x000155AA;
    rec.words[k_drv_mode] = 0x11223344;  // an earlier run's bytes, all replaced
    const std::vector<std::uint8_t> before = s.put_image("board.img", rec);
    const e2e::result r = s.run("-F board.img -D", c.input);
    const std::string renamed = e2e::find_oem_image(s, "board");
    ASSERT_NE(renamed, "") << r.out;
    EXPECT_EQ(r.out, c.before_prompts + port_prompts(0, c.ports) + k_drv_done + c.shown + "\n" +
                         e2e::renamed_line(renamed) + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(s.files(), std::vector<std::string>{renamed});
    EXPECT_EQ(s.image(renamed), with_word(before, k_drv_mode, c.word));
  }
}

TEST(DrvPortMode, RefusedEntryRestartsAtPortZero) {
  scratch s;
  const std::vector<std::uint8_t> before = s.put_image("board.img", qm_board(k_phy_a, 3, 0x7));
  const std::string input =
      "2\n4\n6\n"       // two mode bits at port 2
      "zz\n"            // no number: the refused 6 is judged again
      "8\n10\n20\n"     // no mode bit at port 2
      "0\n1e\n-1\n"     // no mode bit, four mode bits, negative
      "100000000\n"     // too large
      "4\nzz\n"         // no number after an accepted port: -1
      "c2\n10\n0x8\n";  // accepted after the last refusal
  const e2e::result r = s.run("-F board.img -D", input);
  const std::string renamed = e2e::find_oem_image(s, "board");
  ASSERT_NE(renamed, "") << r.out;
  std::string expected = port_prompts(0, 3) + k_one_mode_bit;  // 2 4 6
  expected += port_prompt(0) + k_one_mode_bit;                 // zz
  expected += port_prompts(0, 3) + k_one_mode_bit;             // 8 10 20
  expected += port_prompt(0) + k_one_mode_bit;                 // 0
  expected += port_prompt(0) + k_one_mode_bit;                 // 1e
  expected += port_prompt(0) + negative(-1);                   // -1
  expected += port_prompt(0) + k_too_large;                    // 100000000
  expected += port_prompts(0, 2) + negative(-1);               // 4 zz
  expected += port_prompts(0, 3) + k_drv_done;                 // c2 10 0x8
  expected += "  port0 : 0xc2    port1 : 0x90    port2 : 0x88  \n";
  EXPECT_EQ(r.out, expected + e2e::renamed_line(renamed) + "\n");
  EXPECT_EQ(s.files(), std::vector<std::string>{renamed});
  EXPECT_EQ(s.image(renamed), with_word(before, k_drv_mode, 0x008890C2));
}

TEST(DrvPortMode, NoPortInUseAsksNothingAndClearsTheWord) {
  scratch s;
  testimg::recipe rec = e2e::qm_image(k_phy_a, 0);
  rec.words[k_drv_mode] = 0x00008282;
  const std::vector<std::uint8_t> before = s.put_image("board.img", rec);
  const e2e::result r = s.run("-F board.img -D", "2\n");
  const std::string renamed = e2e::find_oem_image(s, "board");
  ASSERT_NE(renamed, "") << r.out;
  EXPECT_EQ(r.out,
            "sid port num 0 unsupport\n" + k_drv_done + "\n" + e2e::renamed_line(renamed) + "\n");
  EXPECT_EQ(s.image(renamed), with_word(before, k_drv_mode, 0));
}

TEST(DrvPortMode, RefusedOrInterruptedRunsWriteNothing) {
  expect_refused(
      "-D",
      {
          {"ZT image", e2e::zt_image(0x10, 0x2001), "2\n",
           "ERROR, ZT img not support this option\n"},
          {"PHY letter M", e2e::qm_image(k_phy_m), "2\n", "Current phy type M != A, not support\n"},
          {"erased sub-system ID", testimg::recipe{}, "2\n",
           "sub sys id unsupport !Current phy type I != A, not support\n"},
          {"five ports in use", qm_board(k_phy_a, 5, 0x0), "2\n",
           "sid port num 5 unsupport\nERROR, port num 5 unsupport, at most 4 ports\n"},
          {"seven ports in use", qm_board(k_phy_a, 7, 0x5), "2\n",
           "sid port num 7 unsupport\nERROR, port num 7 unsupport, at most 4 ports\n"},
          {"no input", e2e::qm_image(k_phy_a, 2), "", port_prompt(0) + k_no_more_input},
          {"input ends at the last port", e2e::qm_image(k_phy_a, 2), "2\n",
           port_prompts(0, 2) + k_no_more_input},
          {"input ends after a refusal", e2e::qm_image(k_phy_a, 2), "2\n6\n4\n",
           port_prompts(0, 2) + k_one_mode_bit + port_prompts(0, 2) + k_no_more_input},
      });
}

// ---- -N

const std::string k_disable_prompt = "Please input the number of disabled network ports:";

std::string port_counts(unsigned cur, unsigned max) {
  return "current port num : " + std::to_string(cur) + ", max port num : " + std::to_string(max) +
         "\n";
}

std::string reduced_to(unsigned remaining) {
  return "\nConfiguration completed successfully, current port num:0x" + std::to_string(remaining) +
         "\n";
}

std::string out_of_range(int v, int max) {
  return "ERROR, Input Value " + std::to_string(v) + " invalid, range [0," +
         std::to_string(max - 1) + "]\n";
}

// Where the image keeps the header block for each number of remaining ports.
std::uint32_t block_for(unsigned remaining) {
  switch (remaining) {
    case 4:
      return 0xFD000;
    case 3:
      return 0xFD400;
    case 2:
      return 0xFD800;
    default:
      return 0xFDC00;
  }
}

// The image with the active block replaced by the block for `remaining` ports.
std::vector<std::uint8_t> with_active_block(std::vector<std::uint8_t> img, unsigned remaining) {
  const auto from = img.begin() + block_for(remaining);
  std::copy(from, from + k_block_size, img.begin());
  return img;
}

std::string listing(std::uint32_t port_mask) {
  std::string s = "\nConfiguration List:\n";
  char line[64];
  for (std::uint32_t off = 0xFF000; off <= 0xFF024; off += 4) {
    std::snprintf(line, sizeof line, "0x%x : 0xffffffff\n", off);
    s += line;
  }
  std::snprintf(line, sizeof line, "0xf1000 : 0xffffffff\n0x16c : 0x%x\n", port_mask);
  return s + line;
}

TEST(PortReduce, EachRemainingCountCopiesItsBlock) {
  for (unsigned max = 1; max <= 4; ++max) {
    for (unsigned disabled = 0; disabled < max; ++disabled) {
      const unsigned remaining = max - disabled;
      const unsigned in_use = disabled % 2 == 0 ? max : 1;
      SCOPED_TRACE("board of " + std::to_string(max) + ", " + std::to_string(disabled) +
                   " disabled");
      scratch s;
      testimg::recipe rec = qm_board(0x00, max, testimg::port_mask_for(in_use));
      rec.oem_header = 0x008155AA;
      const std::vector<std::uint8_t> before = s.put_image("board.img", rec);
      const e2e::result r = s.run("-F board.img -N", std::to_string(disabled) + "\n");
      const std::string renamed = e2e::find_oem_image(s, "board");
      ASSERT_NE(renamed, "") << r.out;
      EXPECT_EQ(r.out, port_counts(in_use, max) + k_disable_prompt + reduced_to(remaining) +
                           e2e::renamed_line(renamed) + "\n");
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(s.files(), std::vector<std::string>{renamed});
      EXPECT_EQ(s.image(renamed), with_active_block(before, remaining));
    }
  }
}

TEST(PortReduce, EntriesOutOfRangeAreAskedAgain) {
  struct range_case {
    const char* what;
    testimg::recipe image;
    std::string input;
    std::string out;  // before the success line
    unsigned remaining;
  };
  const std::vector<range_case> cases = {
      {"four ports", e2e::qm_image(0x00, 4), "4\na\n-1\nzz\n1\n",
       port_counts(4, 4) + k_disable_prompt + out_of_range(4, 4) + k_disable_prompt +
           out_of_range(10, 4) + k_disable_prompt + negative(-1) + k_disable_prompt + negative(-1) +
           k_disable_prompt,
       3},
      {"one port", e2e::qm_image(0x00, 1), "1\n0\n",
       port_counts(1, 1) + k_disable_prompt + out_of_range(1, 1) + k_disable_prompt, 1},
      {"erased sub-system ID counts four ports", testimg::recipe{}, "3\n",
       "sub sys id unsupport !" + port_counts(4, 4) + k_disable_prompt, 1},
  };
  for (const range_case& c : cases) {
    SCOPED_TRACE(c.what);
    scratch s;
    const std::vector<std::uint8_t> before = s.put_image("board.img", c.image);
    const e2e::result r = s.run("-F board.img -N", c.input);
    const std::string renamed = e2e::find_oem_image(s, "board");
    ASSERT_NE(renamed, "") << r.out;
    EXPECT_EQ(r.out, c.out + reduced_to(c.remaining) + e2e::renamed_line(renamed) + "\n");
    EXPECT_EQ(s.image(renamed), with_active_block(before, c.remaining));
  }
}

TEST(PortReduce, NewPortMaskShowsInTheListingAndTheNextRun) {
  scratch s;
  const std::vector<std::uint8_t> before = s.put_image("board.img", e2e::qm_image(0x00, 4));
  s.run("-F board.img -N", "2\n");
  const std::string renamed = e2e::find_oem_image(s, "board");
  ASSERT_NE(renamed, "");
  EXPECT_EQ(s.run("-F " + renamed + " -C").out, listing(0x3) + e2e::k_not_modified + "\n");

  // Back to all four ports: the block for four ports is copied again.
  const e2e::result r = s.run("-F " + renamed + " -N", "0\n");
  EXPECT_EQ(r.out, port_counts(2, 4) + k_disable_prompt + reduced_to(4) +
                       e2e::renamed_line(renamed) + "\n");
  EXPECT_EQ(s.image(renamed), with_active_block(before, 4));
  EXPECT_EQ(s.run("-F " + renamed + " -C").out, listing(0xF) + e2e::k_not_modified + "\n");
}

TEST(PortReduce, BlockWithoutHeaderMagicIsNotCopied) {
  testimg::recipe erased_block = e2e::qm_image(0x00, 4);
  erased_block.words[0xFD400] = 0xFFFFFFFF;
  testimg::recipe no_blocks = e2e::qm_image(0x00, 2);
  no_blocks.variant_blocks = false;
  testimg::recipe other_magic = e2e::qm_image(0x00, 3);
  other_magic.words[0xFDC00] = 0x5AA51001;
  const std::string asked = port_counts(4, 4) + k_disable_prompt;
  expect_refused(
      "-N",
      {
          {"erased magic", erased_block, "1\n", asked + "error, img not support, hdr 0xffffffff!"},
          {"no blocks", no_blocks, "0\n",
           port_counts(2, 2) + k_disable_prompt + "error, img not support, hdr 0xffffffff!"},
          {"other magic", other_magic, "2\n",
           port_counts(3, 3) + k_disable_prompt + "error, img not support, hdr 0x5aa51001!"},
      });
}

TEST(PortReduce, RefusedOrInterruptedRunsWriteNothing) {
  const std::string refused_count = ", the img carries header blocks for 1 to 4 ports\n";
  std::vector<refusal> cases = {
      {"ZT image", e2e::zt_image(0x10), "1\n", k_not_supported},
      {"no ports", e2e::qm_image(0x00, 0), "0\n",
       "sid port num 0 unsupport\n" + port_counts(0, 0) + "ERROR, port num 0 unsupport" +
           refused_count},
      {"no input", e2e::qm_image(0x00, 4), "",
       port_counts(4, 4) + k_disable_prompt + k_no_more_input},
      {"input ends after a refusal", e2e::qm_image(0x00, 3), "7\n",
       port_counts(3, 3) + k_disable_prompt + out_of_range(7, 3) + k_disable_prompt +
           k_no_more_input},
  };
  for (unsigned max = 5; max <= 7; ++max) {
    const std::string n = std::to_string(max);
    cases.push_back({"more than four ports", e2e::qm_image(0x00, max), "1\n",
                     "sid port num " + n + " unsupport\n" + port_counts(4, max) +
                         "ERROR, port num " + n + " unsupport" + refused_count});
  }
  expect_refused("-N", cases);
}

}  // namespace
