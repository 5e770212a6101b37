// The per-port commands through the built tool: the 88E1512 PHY mode (-P),
// the driver port mode (-D) and the network port reduction (-N).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_runner.h"

namespace {

using e2e::expect_configured;

constexpr std::uint32_t k_header = 0xFF000;
constexpr std::uint32_t k_mv_mode = 0xFF010;
constexpr std::uint32_t k_drv_mode = 0xFF020;
constexpr std::uint8_t k_phy_m = 0x52;  // Marvell 88E1512
constexpr std::uint8_t k_phy_a = 0xA0;  // the PHY the driver port mode needs

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
    std::string out;  // after the first prompt
    std::uint32_t word;
    std::uint32_t header_after;
  };
  const std::vector<mode_case> cases = {
      {"4030201\n", 0xFFFFFFFF, mv_modes(1, 2, 3, 4), 0x04030201, 0x001055AA},
      {"ff\n", 0x000155AA, mv_modes(7, 0, 0, 0), 0x000000FF, 0x001155AA},
      // Bits outside the four mode fields are stored but never shown.
      {"ffffffff\n0x7d0e0f08\n", 0x12345678, negative(-1) + k_mv_prompt + mv_modes(0, 7, 6, 5),
       0x7D0E0F08, 0x001055AA},
  };
  for (const mode_case& c : cases) {
    SCOPED_TRACE(c.input);
    testimg::recipe rec = e2e::qm_image(k_phy_m, 2);
    rec.oem_header = c.header_before;
    expect_configured(rec, "-P", c.input, k_mv_prompt + c.out,
                      {{k_mv_mode, c.word}, {k_header, c.header_after}});
  }
}

// ---- -D

std::string port_prompts(int count) {
  std::string s;
  for (int p = 0; p < count; ++p) s += "Please input config val of port " + std::to_string(p) + ":";
  return s;
}

const std::string k_one_mode_bit =
    "warning, from bit1 to bit4, only one BIT can be selected for each port\n";
const std::string k_drv_done = "\nConfiguration completed successfully :\n";

// The whole word is written, so an earlier run's bytes all go; the OEM header
// word is left as it was.
testimg::recipe configured_before(testimg::recipe r) {
  r.oem_header = 0x000155AA;
  r.words[k_drv_mode] = 0x11223344;
  return r;
}

TEST(DrvPortMode, OneByteWrittenPerPortInUseUpToFour) {
  struct drv_case {
    const char* what;
    testimg::recipe image;
    std::string input;
    std::string out;
    std::uint32_t word;
  };
  const std::vector<drv_case> cases = {
      {"two ports", qm_board(k_phy_a, 2, 0x3), "2\n44\n",
       port_prompts(2) + k_drv_done + "  port0 : 0x82    port1 : 0xc4  \n", 0x0000C482},
      {"mask 0x7 on four ports, bits 0, 5 and 8 dropped", qm_board(k_phy_a, 4, 0x7), "3\n22\n102\n",
       port_prompts(3) + k_drv_done + "  port0 : 0x82    port1 : 0x82    port2 : 0x82  \n",
       0x00828282},
      {"six-port board with four in use", qm_board(k_phy_a, 6, 0xF), "10\n8\n4\n2\n",
       "sid port num 6 unsupport\n" + port_prompts(4) + k_drv_done +
           "  port0 : 0x90    port1 : 0x88    port2 : 0x84    port3 : 0x82  \n",
       0x82848890},
      {"no port in use asks nothing", e2e::qm_image(k_phy_a, 0), "2\n",
       "sid port num 0 unsupport\n" + k_drv_done + "\n", 0x00000000},
  };
  for (const drv_case& c : cases) {
    SCOPED_TRACE(c.what);
    expect_configured(configured_before(c.image), "-D", c.input, c.out, {{k_drv_mode, c.word}});
  }
  // A fifth port byte has no room in the word.
  e2e::expect_untouched(qm_board(k_phy_a, 5, 0x0), "-D", "2\n",
                        "sid port num 5 unsupport\nERROR, port num 5 unsupport, at most 4 ports\n");
}

TEST(DrvPortMode, RefusedEntryRestartsAtPortZero) {
  const std::string input =
      "2\n4\n6\n"           // two mode bits at port 2
      "zz\n"                // no number: the refused 6 is judged again
      "8\n10\n20\n"         // no mode bit at port 2
      "0\n1e\n-1\n"         // no mode bit, four mode bits, negative
      "100000000\n"         // too large
      "4\nzz\n"             // no number after an accepted port: -1
      "c2 5\n\n10\n0x8\n";  // accepted; the rest of a line and an empty line are skipped
  const std::string k_too_large = "ERROR, Input Value too large, at most 32 bits\n";
  std::string expected = port_prompts(3) + k_one_mode_bit;  // 2 4 6
  expected += port_prompts(1) + k_one_mode_bit;             // zz
  expected += port_prompts(3) + k_one_mode_bit;             // 8 10 20
  expected += port_prompts(1) + k_one_mode_bit;             // 0
  expected += port_prompts(1) + k_one_mode_bit;             // 1e
  expected += port_prompts(1) + negative(-1);               // -1
  expected += port_prompts(1) + k_too_large;                // 100000000
  expected += port_prompts(2) + negative(-1);               // 4 zz
  expected += port_prompts(3) + k_drv_done;                 // c2 10 0x8
  expected += "  port0 : 0xc2    port1 : 0x90    port2 : 0x88  \n";
  expect_configured(qm_board(k_phy_a, 3, 0x7), "-D", input, expected, {{k_drv_mode, 0x008890C2}});
}

// ---- -N

const std::string k_disable_prompt = "Please input the number of disabled network ports:";

std::string port_counts(unsigned cur, unsigned max) {
  return "current port num : " + std::to_string(cur) + ", max port num : " + std::to_string(max) +
         "\n" + k_disable_prompt;
}

std::string reduced_to(unsigned remaining) {
  return "\nConfiguration completed successfully, current port num:0x" + std::to_string(remaining) +
         "\n";
}

std::string out_of_range(int v, int max) {
  return "ERROR, Input Value " + std::to_string(v) + " invalid, range [0," +
         std::to_string(max - 1) + "]\n" + k_disable_prompt;
}

// Where the image keeps the header block for 1, 2, 3 and 4 remaining ports.
constexpr std::uint32_t k_block_for[] = {0, 0xFDC00, 0xFD800, 0xFD400, 0xFD000};

// The active block's words once the block for `remaining` ports is copied over it.
e2e::word_map active_block_of(const testimg::recipe& r, unsigned remaining) {
  const std::vector<std::uint8_t> img = testimg::build(r);
  e2e::word_map words;
  for (std::uint32_t off = 0; off < 0x400; off += 4) {
    words[off] = testimg::word_at(img, k_block_for[remaining] + off);
  }
  return words;
}

TEST(PortReduce, EachRemainingCountCopiesItsBlock) {
  for (unsigned max = 1; max <= 4; ++max) {
    for (unsigned disabled = 0; disabled < max; ++disabled) {
      const unsigned remaining = max - disabled;
      const unsigned in_use = disabled % 2 == 0 ? max : 1;
      SCOPED_TRACE("board of " + std::to_string(max) + ", " + std::to_string(disabled) +
                   " disabled");
      testimg::recipe rec = qm_board(0x00, max, testimg::port_mask_for(in_use));
      rec.oem_header = 0x008155AA;
      expect_configured(rec, "-N", std::to_string(disabled) + "\n",
                        port_counts(in_use, max) + reduced_to(remaining),
                        active_block_of(rec, remaining));
    }
  }
}

TEST(PortReduce, EntriesOutOfRangeAreAskedAgain) {
  const testimg::recipe four = e2e::qm_image(0x00, 4);
  expect_configured(four, "-N", "4\na\n-1\nzz\n1\n",
                    port_counts(4, 4) + out_of_range(4, 4) + out_of_range(10, 4) + negative(-1) +
                        k_disable_prompt + negative(-1) + k_disable_prompt + reduced_to(3),
                    active_block_of(four, 3));
  const testimg::recipe one = e2e::qm_image(0x00, 1);
  expect_configured(one, "-N", "1\n0\n", port_counts(1, 1) + out_of_range(1, 1) + reduced_to(1),
                    active_block_of(one, 1));
}

TEST(PortReduce, NewPortMaskShowsInTheListingAndTheNextRun) {
  e2e::scratch s;
  const testimg::recipe rec = e2e::qm_image(0x00, 4);
  std::vector<std::uint8_t> want = s.put_image("board.img", rec);
  s.run("-F board.img -N", "2\n");
  const std::string renamed = e2e::find_oem_image(s, "board");
  ASSERT_NE(renamed, "");
  EXPECT_EQ(s.run("-F " + renamed + " -C").out,
            e2e::listing(0xFFFFFFFF, 0xFFFFFFFF, 0x3) + e2e::k_not_modified + "\n");

  // Back to all four ports: the block for four ports is copied again.
  const e2e::result r = s.run("-F " + renamed + " -N", "0\n");
  EXPECT_EQ(r.out, port_counts(2, 4) + reduced_to(4) + e2e::renamed_line(renamed) + "\n");
  for (const auto& [off, word] : active_block_of(rec, 4)) testimg::put_word(&want, off, word);
  EXPECT_EQ(e2e::first_difference(s.image(renamed), want), "");
  EXPECT_EQ(s.run("-F " + renamed + " -C").out,
            e2e::listing(0xFFFFFFFF, 0xFFFFFFFF, 0xF) + e2e::k_not_modified + "\n");
}

TEST(PortReduce, BlockWithAnotherHeaderMagicIsNotCopied) {
  testimg::recipe rec = e2e::qm_image(0x00, 3);
  rec.words[0xFDC00] = 0x5AA51001;  // the block for one port
  e2e::expect_untouched(rec, "-N", "2\n",
                        port_counts(3, 3) + "error, img not support, hdr 0x5aa51001!");
}

}  // namespace
