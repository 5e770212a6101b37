// Nothing is lost: for every option, every way it can be refused and every
// prompt at which the console input can end, the image is byte for byte what
// it was before the run and keeps its name. Each dialogue below is also run
// to its end once, so that a wrong list of prompts cannot pass unnoticed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_runner.h"

namespace {

using e2e::scratch;

const std::string k_no_input = "\nERROR, no more input, nothing written\n";
const std::string k_unchanged_end = std::string(e2e::k_not_modified) + "\n";
const std::string k_family = "ERROR, the img not support this option\n";

// One prompt of a dialogue: its text (the end of the output when the input
// ends there), an answer that it accepts and, where it has one, an answer
// that it refuses. A refused answer brings back `again`, or this prompt.
struct prompt_step {
  std::string text;
  std::string accepted;
  std::string refused;
  std::string again;
};

struct dialogue {
  std::string what;
  std::string option;
  testimg::recipe image;
  std::vector<prompt_step> steps;
};

const std::string k_menu = "Please input your number:";
const std::string k_port0 = "Please input config val of port 0:";
const std::string k_arp = "Please input config val of SMBUS ARP, 1 : enable arp  0 : disable arp :";

std::string port_prompt(int i) {
  return "Please input config val of port " + std::to_string(i) + ":";
}

std::vector<prompt_step> four_values(const std::string& head,
                                     const std::vector<std::string>& names) {
  std::vector<prompt_step> steps;
  for (const std::string& n : names) steps.push_back({head + n + " :", "1f\n", "-1\n", ""});
  return steps;
}

testimg::recipe with_wol(testimg::recipe r) {
  r.sub_sys_id |= 0x40;
  return r;
}

std::vector<dialogue> dialogues() {
  const std::string yt = "Please input config val of YT Phy ";
  const std::string x3310 = "Please input config val of MV88X3310 Phy ";
  std::vector<dialogue> d = {
      {"inner LED, QM",
       "-I",
       e2e::qm_image(0x00),
       {{"Please input config val of Inner Phy LED :", "12\n", "-12\n", ""}}},
      {"inner LED, ZT",
       "-I",
       e2e::zt_image(0x00),
       {{"Please input config val of Inner Phy LED :", "12\n", "80000000\n", ""}}},
      {"YT LEDs", "-Y", e2e::qm_image(0x60),
       four_values(yt, {"LED0", "LED1", "LED2", "LED blink cfg"})},
      {"MV LED",
       "-M",
       e2e::qm_image(0x52),
       {{"Please input config val of MV Phy LED :", "fff\n", "100000000\n", ""}}},
      {"RTL8211F LED",
       "-E",
       e2e::qm_image(0x90),
       {{k_menu, "1\n", "3\n", ""},
        {"Please input config val of RTL8211F PHY LED:", "12345\n", "-5\n", ""}}},
      {"JL2201 LED",
       "-E",
       e2e::qm_image(0x90),
       {{k_menu, "2\n", "0\n", ""},
        {"Please input config val of JL2201 PHY LED:", "12345\n", "zz\n", ""}}},
      {"88X3310 LEDs", "-X", e2e::zt_image(0x10),
       four_values(x3310, {"LED0", "LED1", "LED2", "LED3"})},
      {"88E1512 mode",
       "-P",
       e2e::qm_image(0x52),
       {{"Please input config val of MV1512 phy mode :", "4030201\n", "ffffffff\n", ""}}},
      {"GPIO",
       "-G",
       e2e::qm_image(0x00),
       {{"Please input config val of GPIO :", "1234\n", "-1\n", ""}}},
      {"SMBus ARP on, QM", "-S", e2e::qm_image(0x00), {{k_arp, "1\n", "2\n", ""}}},
      {"SMBus ARP off with an address, QM",
       "-S",
       e2e::qm_image(0x00),
       {{k_arp, "0\n", "10\n", ""},
        {"current smbus slave addr is 0x49, do you need to modify it ? 'Y' or 'N':", "y\n", "", ""},
        {"Please input smbus slave addr, valid range(0x7, 0x78):", "50\n", "78\n", ""}}},
      {"SMBus ARP off, ZT",
       "-S",
       e2e::zt_image(0x10),
       {{k_arp, "0\n", "-1\n", ""},
        {"current smbus slave addr is 0x49, do you need to modify it ? 'Y' or 'N':", "n\n", "",
         ""}}},
      {"LLDP, QM",
       "-L",
       e2e::qm_image(0x00),
       {{"Please input config val of LLDP TX :", "f\n", "10\n", ""}}},
      {"LLDP, ZT",
       "-L",
       e2e::zt_image(0x00),
       {{"Please input config val of LLDP TX :", "0\n", "ff\n", ""}}},
      {"WOL pulse",
       "-W",
       with_wol(e2e::qm_image(0x00)),
       {{"Please input config val of WOL Wake IO(ms):", "10\n", "65536\n", ""}}},
      {"port reduction",
       "-N",
       e2e::qm_image(0x00, 4),
       {{"Please input the number of disabled network ports:", "1\n", "4\n", ""}}},
  };
  // Driver port mode: a refused entry starts over at port 0.
  dialogue drv{"driver port mode", "-D", e2e::qm_image(0xA0, 4), {}};
  for (int i = 0; i < 4; ++i) drv.steps.push_back({port_prompt(i), "2\n", "6\n", k_port0});
  d.push_back(drv);
  return d;
}

std::string answers_before(const dialogue& d, std::size_t step) {
  std::string input;
  for (std::size_t i = 0; i < step; ++i) input += d.steps[i].accepted;
  return input;
}

// Runs `option` on a fresh image with `input` and checks that the image is
// as it was, under its own name, and that the output ends with `tail`.
void expect_nothing_lost(const std::string& option, const testimg::recipe& image,
                         const std::string& input, const std::string& tail) {
  scratch s;
  const std::vector<std::uint8_t> before = s.put_image("board.img", image);
  const e2e::result r = s.run("-F board.img " + option, input);
  EXPECT_EQ(s.files(), std::vector<std::string>{"board.img"});
  EXPECT_EQ(s.image("board.img"), before);
  ASSERT_GE(r.out.size(), tail.size()) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  EXPECT_EQ(r.err, "");
}

TEST(NothingLost, EveryDialogueAsListedRunsToItsEnd) {
  for (const dialogue& d : dialogues()) {
    SCOPED_TRACE(d.what);
    scratch s;
    s.put_image("board.img", d.image);
    const e2e::result r = s.run("-F board.img " + d.option, answers_before(d, d.steps.size()));
    EXPECT_EQ(r.out.find(k_no_input), std::string::npos) << r.out;
    EXPECT_NE(e2e::find_oem_image(s, "board"), "") << r.out << r.err;
  }
}

TEST(NothingLost, InputEndingAtAnyPromptWritesNothing) {
  for (const dialogue& d : dialogues()) {
    for (std::size_t step = 0; step < d.steps.size(); ++step) {
      const prompt_step& p = d.steps[step];
      const std::string tail = p.text + k_no_input + k_unchanged_end;
      SCOPED_TRACE(d.what + ", prompt " + std::to_string(step) + ": " + p.text);
      const std::string input = answers_before(d, step);
      expect_nothing_lost(d.option, d.image, input, tail);
      if (step == 0) expect_nothing_lost(d.option, d.image, input + "\n \t\r\n\n", tail);
      if (!p.refused.empty()) {
        SCOPED_TRACE("after the refused answer " + p.refused);
        const std::string again = p.again.empty() ? p.text : p.again;
        expect_nothing_lost(d.option, d.image, input + p.refused,
                            again + k_no_input + k_unchanged_end);
      }
    }
  }
}

// A refusal prints its message, asks nothing and writes nothing, however
// many answers are waiting on the console.
struct refusal {
  std::string what;
  std::string option;
  testimg::recipe image;
  std::string out;  // the whole output before the closing message
};

TEST(NothingLost, EveryRefusalLeavesTheImageAsItWas) {
  testimg::recipe wide_drv = e2e::qm_image(0xA0, 6);
  wide_drv.port_mask = 0;  // no valid mask: every one of the six ports is in use
  testimg::recipe no_magic = e2e::qm_image(0x00, 4);
  no_magic.words[0xFD400] = 0xFFFFFFFF;  // the block for three ports
  const std::string ports = "current port num : ";
  const std::string blocks = " unsupport, the img carries header blocks for 1 to 4 ports\n";
  const std::vector<refusal> cases = {
      {"inner LED, YT PHY", "-I", e2e::qm_image(0x60), "\nCurrent phy type Y, not INNER Phy\n"},
      {"inner LED, ZT external PHY", "-I", e2e::zt_image(0x10),
       "\nCurrent phy type E, not INNER Phy\n"},
      {"YT LEDs, ZT", "-Y", e2e::zt_image(0x00), k_family},
      {"YT LEDs, inner PHY", "-Y", e2e::qm_image(0x00), "Current phy type I, not YT Phy\n"},
      {"MV LED, ZT", "-M", e2e::zt_image(0x00), k_family},
      {"MV LED, PHY A", "-M", e2e::qm_image(0xA0), "Current phy type A, not MV Phy\n"},
      {"external LED, ZT", "-E", e2e::zt_image(0x10), k_family},
      {"external LED, YT PHY", "-E", e2e::qm_image(0x60), "Current phy type Y, not EXT Phy ID\n"},
      {"88X3310 LEDs, QM", "-X", e2e::qm_image(0x90), k_family},
      {"88X3310 LEDs, ZT inner PHY", "-X", e2e::zt_image(0x00),
       "Current phy type I, not Marvell Phy\n"},
      {"88E1512 mode, ZT", "-P", e2e::zt_image(0x00), k_family},
      {"88E1512 mode, PHY F", "-P", e2e::qm_image(0x50), "Current phy type F, not MV Phy(0x52)\n"},
      {"driver port mode, ZT", "-D", e2e::zt_image(0x00),
       "ERROR, ZT img not support this option\n"},
      {"driver port mode, PHY M", "-D", e2e::qm_image(0x52),
       "Current phy type M != A, not support\n"},
      {"driver port mode, six ports", "-D", wide_drv,
       "sid port num 6 unsupport\nERROR, port num 6 unsupport, at most 4 ports\n"},
      {"GPIO, ZT", "-G", e2e::zt_image(0x00), k_family},
      {"WOL pulse, ZT", "-W", with_wol(e2e::zt_image(0x00)), k_family},
      {"WOL pulse, no WOL", "-W", e2e::qm_image(0x00), "ERROR, the img not support WOL\n"},
      {"port reduction, ZT", "-N", e2e::zt_image(0x00), k_family},
      {"port reduction, no ports", "-N", e2e::qm_image(0x00, 0),
       "sid port num 0 unsupport\n" + ports + "0, max port num : 0\nERROR, port num 0" + blocks},
      {"port reduction, seven ports", "-N", e2e::qm_image(0x00, 7),
       "sid port num 7 unsupport\n" + ports + "4, max port num : 7\nERROR, port num 7" + blocks},
  };
  const std::string answers = "1\n1\n1\n1\n1\n1\n1\n1\n";
  for (const refusal& c : cases) {
    SCOPED_TRACE(c.what);
    scratch s;
    const std::vector<std::uint8_t> before = s.put_image("board.img", c.image);
    const e2e::result r = s.run("-F board.img " + c.option, answers);
    EXPECT_EQ(r.out, c.out + k_unchanged_end);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(s.files(), std::vector<std::string>{"board.img"});
    EXPECT_EQ(s.image("board.img"), before);
  }

  // Refused after its prompt: the block that the answer selects has no
  // header magic, and its message has no line end of its own.
  expect_nothing_lost("-N", no_magic, "1\n",
                      "Please input the number of disabled network ports:error, img not support, "
                      "hdr 0xffffffff!" +
                          k_unchanged_end);
}

TEST(NothingLost, ListingNeverWrites) {
  for (const testimg::recipe& image : {e2e::qm_image(0x60, 3), e2e::zt_image(0x10)}) {
    expect_nothing_lost(
        "-C", image, "1\n",
        "0x16c : 0x" + std::string(image.port_mask == 0x7 ? "7" : "f") + "\n" + k_unchanged_end);
  }
}

}  // namespace
