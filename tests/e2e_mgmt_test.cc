// GPIO (-G), SMBus ARP (-S), LLDP transmit (-L) and WOL pulse (-W), through
// the built tool: whole dialogues, the words they leave in the image and the
// image's name afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "e2e_runner.h"

namespace {

using e2e::scratch;
using words = std::map<std::uint32_t, std::uint32_t>;

// Image words these commands touch.
constexpr std::uint32_t k_header = 0xFF000;
constexpr std::uint32_t k_gpio = 0xFF004;
constexpr std::uint32_t k_zt_arp = 0xFF010;  // 88E1512 PHY mode word in QM images
constexpr std::uint32_t k_qm_arp = 0xFF014;  // 88X3310 LED word 0 in ZT images
constexpr std::uint32_t k_wol = 0xFF018;     // 88X3310 LED word 1 in ZT images
constexpr std::uint32_t k_lldp = 0xF1000;

const std::string k_gpio_prompt = "Please input config val of GPIO :";
const std::string k_arp_prompt =
    "Please input config val of SMBUS ARP, 1 : enable arp  0 : disable arp :";
const std::string k_question =
    "current smbus slave addr is 0x49, do you need to modify it ? 'Y' or 'N':";
const std::string k_addr_prompt = "Please input smbus slave addr, valid range(0x7, 0x78):";
const std::string k_addr_refused = "err, address out of range[0x8, 0x77], try again\n";
const std::string k_arp_enabled = "\nConfiguration completed successfully, Enable SMBUS ARP\n";
const std::string k_lldp_prompt = "Please input config val of LLDP TX :";
const std::string k_wol_prompt = "Please input config val of WOL Wake IO(ms):";
const std::string k_too_large = "ERROR, Input Value too large, at most 32 bits\n";
const std::string k_no_input = "\nERROR, no more input, nothing written\n";
const std::string k_family_refused = "ERROR, the img not support this option\n";
const std::string k_wol_refused = "ERROR, the img not support WOL\n";
const std::string k_no_sub_sys_id = "sub sys id unsupport !";

// Lower-case hexadecimal with 0x, as the confirmations show values.
std::string hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%x", v);
  return buf;
}

std::string negative(long long v) {
  return "ERROR, Input Value (" + std::to_string(v) + ") < (0) invalid\n";
}
std::string invalid(long long v) {
  return "ERROR, Input Value " + std::to_string(v) + " invalid\n";
}
std::string gpio_done(unsigned v) {
  return "\nConfiguration completed successfully\n    GPIO : " + hex(v) + "\n";
}
std::string arp_disabled(unsigned addr) {
  return "\nConfiguration completed successfully, Disable SMBUS ARP, slave address : " + hex(addr) +
         "\n";
}
std::string lldp_done(unsigned v) {
  return "\nConfiguration completed successfully, LLDP TX config : " + hex(v) + "\n";
}
std::string wol_done(unsigned ms) {
  return "\nConfiguration completed successfully, WOL Wake Io pull down time : " +
         std::to_string(ms) + " ms\n";
}

testimg::recipe qm() { return e2e::qm_image(0x00); }
testimg::recipe qm_wol() { return e2e::qm_image(0x00, 4, true); }
testimg::recipe zt() { return e2e::zt_image(0x00); }
testimg::recipe with(testimg::recipe r, std::uint32_t header, const words& more = {}) {
  r.oem_header = header;
  for (const auto& [off, value] : more) r.words[off] = value;
  return r;
}

// "" when the images are equal, else the first word that differs.
std::string image_diff(const std::vector<std::uint8_t>& got,
                       const std::vector<std::uint8_t>& want) {
  if (got.size() != want.size()) return "size " + std::to_string(got.size());
  for (std::uint32_t off = 0; off + 4 <= got.size(); off += 4) {
    const std::uint32_t g = testimg::word_at(got, off);
    const std::uint32_t w = testimg::word_at(want, off);
    if (g != w) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "word 0x%x is 0x%08x, expected 0x%08x", off, g, w);
      return buf;
    }
  }
  return "";
}

struct run_case {
  std::string name;
  testimg::recipe image;
  std::string option;
  std::string input;
  std::string dialogue;  // everything the command prints
  words written;         // the words it leaves; empty: it writes nothing
};

// Checks the whole transcript and the image afterwards: renamed and equal to
// the original with exactly `written` changed, or untouched under its name.
void check(const run_case& c) {
  SCOPED_TRACE(c.name);
  scratch s;
  std::vector<std::uint8_t> expected = s.put_image("board.img", c.image);
  const e2e::result r = s.run("-F board.img " + c.option, c.input);
  EXPECT_EQ(r.err, "");
  std::string name = "board.img";
  if (c.written.empty()) {
    EXPECT_EQ(r.out, c.dialogue + e2e::k_not_modified + "\n");
  } else {
    name = e2e::find_oem_image(s, "board");
    ASSERT_NE(name, "") << r.out;
    EXPECT_EQ(r.out, c.dialogue + e2e::renamed_line(name) + "\n");
    for (const auto& [off, value] : c.written) testimg::put_word(&expected, off, value);
  }
  EXPECT_EQ(s.files(), std::vector<std::string>{name});
  EXPECT_EQ(image_diff(s.image(name), expected), "");
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs the tool with `input` on a standard input that stays open until the
// tool has exited, as an operator's console does: a tool that waits for more
// than `input` never sees the input end. The timeout only keeps such a
// faulty tool from hanging the suite; it then shows as exit status 124.
e2e::result run_input_held_open(const scratch& s, const std::string& args,
                                const std::string& input) {
  const char* tool = std::getenv("DORVANE_TOOL");
  std::ofstream(s.path(".e2e_held"), std::ios::binary) << input;
  std::ofstream(s.path(".e2e_tool.sh")) << (tool != nullptr ? tool : "dorvane_oem_tool") << " "
                                        << args << " > .e2e_out 2> .e2e_err\n";
  const std::string cmd = "cd '" + s.dir() +
                          "' && mkfifo .e2e_gate && { cat .e2e_held; cat .e2e_gate; } | "
                          "{ timeout 300 sh .e2e_tool.sh; echo $? > .e2e_rc; echo > .e2e_gate; }";
  const int rc = std::system(cmd.c_str());
  e2e::result r{slurp(s.path(".e2e_out")), slurp(s.path(".e2e_err"))};
  std::string tool_rc = slurp(s.path(".e2e_rc"));
  if (!tool_rc.empty() && tool_rc.back() == '\n') tool_rc.pop_back();
  if (rc != 0 || tool_rc != "0") r.err += "(exit status " + tool_rc + ")";
  return r;
}

TEST(Gpio, WritesTheLow16BitsAndSetsItsEnableBit) {
  const std::vector<run_case> cases = {
      {"upper bits dropped, erased header",
       qm(),
       "-G",
       "12345\n",
       k_gpio_prompt + gpio_done(0x2345),
       {{k_gpio, 0x00002345}, {k_header, 0x000155AA}}},
      {"negative refused, whole word written, header kept",
       with(qm(), 0x000255AA, {{k_gpio, 0xABCD0000}}),
       "-G",
       "80000000\n0x1f\n",
       k_gpio_prompt + negative(-2147483648LL) + k_gpio_prompt + gpio_done(0x1f),
       {{k_gpio, 0x0000001F}, {k_header, 0x000355AA}}},
      {"bit already set",
       with(qm(), 0x002155AA),
       "-G",
       "7fffffff\n",
       k_gpio_prompt + gpio_done(0xffff),
       {{k_gpio, 0x0000FFFF}, {k_header, 0x002155AA}}},
  };
  for (const run_case& c : cases) check(c);
}

TEST(SmbusArp, EnableWritesTheDefaultAddressAtTheFamilysWord) {
  const words neighbours = {{k_zt_arp, 0x11111111}, {k_qm_arp, 0x0050000E}, {k_wol, 0x22222222}};
  const std::vector<run_case> cases = {
      {"QM, after refused choices (zz judges 16 again)",
       with(qm(), 0xFFFFFFFF, neighbours),
       "-S",
       "10\nzz\n-1\n2\n1\n",
       k_arp_prompt + invalid(16) + k_arp_prompt + invalid(16) + k_arp_prompt + negative(-1) +
           k_arp_prompt + invalid(2) + k_arp_prompt + k_arp_enabled,
       {{k_qm_arp, 0x0049000F}, {k_header, 0x002055AA}}},
      {"ZT",
       with(zt(), 0x000255AA, {{k_zt_arp, 0x0050000E}, {k_qm_arp, 0x33333333}}),
       "-S",
       "1\n",
       k_arp_prompt + k_arp_enabled,
       {{k_zt_arp, 0x0049000F}, {k_header, 0x001255AA}}},
  };
  for (const run_case& c : cases) check(c);
}

TEST(SmbusArp, DisableKeepsTheAddressUnlessTheAnswerIsY) {
  for (const std::string answer : {"N\n", "n\n", "no thanks\n", "maybe\n", "\n", "\r\n"}) {
    check({"answer " + answer,
           with(qm(), 0xFFFFFFFF, {{k_qm_arp, 0x0050000E}}),
           "-S",
           "0\n" + answer,
           k_arp_prompt + k_question + arp_disabled(0x49),
           {{k_qm_arp, 0x0049000E}, {k_header, 0x002055AA}}});
  }
}

TEST(SmbusArp, AddressIsAskedAfterYAndCheckedAgainstItsRange) {
  const std::string asked = k_arp_prompt + k_question + k_addr_prompt;
  const std::vector<run_case> cases = {
      {"y, an empty line is no entry",
       qm(),
       "-S",
       "0\ny\n\n50\n",
       asked + arp_disabled(0x50),
       {{k_qm_arp, 0x0050000E}, {k_header, 0x002055AA}}},
      {"yes, 7 and 78 refused, 8 accepted",
       qm(),
       "-S",
       "0\nyes\n7\n78\n8\n",
       asked + k_addr_refused + k_addr_prompt + k_addr_refused + k_addr_prompt + arp_disabled(0x8),
       {{k_qm_arp, 0x0008000E}, {k_header, 0x002055AA}}},
      {"Y, zz refused with the rest of its line, 77 accepted",
       qm(),
       "-S",
       "0\nY\nzz 9\n77\n",
       asked + k_addr_refused + k_addr_prompt + arp_disabled(0x77),
       {{k_qm_arp, 0x0077000E}, {k_header, 0x002055AA}}},
      {"too large and negative refused",
       qm(),
       "-S",
       "0\nYES\n100000000\n-8\n0x40 50\n",
       asked + k_addr_refused + k_addr_prompt + k_addr_refused + k_addr_prompt + arp_disabled(0x40),
       {{k_qm_arp, 0x0040000E}, {k_header, 0x002055AA}}},
      {"ZT",
       with(zt(), 0x000255AA, {{k_qm_arp, 0x33333333}}),
       "-S",
       "0\ny\n8\n",
       asked + arp_disabled(0x8),
       {{k_zt_arp, 0x0008000E}, {k_header, 0x001255AA}}},
  };
  for (const run_case& c : cases) check(c);
}

// A bare line end answers the question by itself: the tool finishes without
// waiting for another line.
TEST(SmbusArp, BareLineEndDoesNotWaitForTheNextLine) {
  for (const std::string line_end : {"\n", "\r\n"}) {
    SCOPED_TRACE(line_end == "\n" ? "LF" : "CR LF");
    scratch s;
    std::vector<std::uint8_t> expected =
        s.put_image("board.img", with(qm(), 0xFFFFFFFF, {{k_qm_arp, 0x0050000E}}));
    const e2e::result r = run_input_held_open(s, "-F board.img -S", "0" + line_end + line_end);
    EXPECT_EQ(r.err, "");
    const std::string name = e2e::find_oem_image(s, "board");
    ASSERT_NE(name, "") << r.out;
    EXPECT_EQ(r.out,
              k_arp_prompt + k_question + arp_disabled(0x49) + e2e::renamed_line(name) + "\n");
    testimg::put_word(&expected, k_qm_arp, 0x0049000E);
    testimg::put_word(&expected, k_header, 0x002055AA);
    EXPECT_EQ(image_diff(s.image(name), expected), "");
  }
}

TEST(Lldp, WritesTheValueAndNormalisesTheHeader) {
  const std::vector<run_case> cases = {
      {"erased header",
       with(qm(), 0xFFFFFFFF, {{k_lldp, 0x12345678}}),
       "-L",
       "f\n",
       k_lldp_prompt + lldp_done(0xf),
       {{k_lldp, 0x0000000F}, {k_header, 0x008055AA}}},
      {"valid header keeps its bits",
       with(qm(), 0x001355AA),
       "-L",
       "10\n3\n",
       k_lldp_prompt + invalid(16) + k_lldp_prompt + lldp_done(0x3),
       {{k_lldp, 0x00000003}, {k_header, 0x009355AA}}},
      {"foreign header with bit 0 clear keeps its upper bits",
       with(qm(), 0x12340000),
       "-L",
       "0\n",
       k_lldp_prompt + lldp_done(0x0),
       {{k_lldp, 0x00000000}, {k_header, 0x12B455AA}}},
      {"foreign header with bit 0 set starts afresh",
       with(qm(), 0x12340001),
       "-L",
       "7\n",
       k_lldp_prompt + lldp_done(0x7),
       {{k_lldp, 0x00000007}, {k_header, 0x008055AA}}},
      {"signature spoilt by the normalisation, ZT",
       with(zt(), 0x00001234),
       "-L",
       "ffffffff\n0x0A\n",
       k_lldp_prompt + negative(-1) + k_lldp_prompt + lldp_done(0xa),
       {{k_lldp, 0x0000000A}, {k_header, 0x008055AA}}},
  };
  for (const run_case& c : cases) check(c);
}

TEST(Wol, WritesTheDecimalPulseTime) {
  const std::vector<run_case> cases = {
      {"ten milliseconds",
       qm_wol(),
       "-W",
       "10\n",
       k_wol_prompt + wol_done(10),
       {{k_wol, 0x0000000A}, {k_header, 0x004055AA}}},
      {"0 and 65536 refused, 65535 accepted",
       with(qm_wol(), 0x000155AA),
       "-W",
       "0\n65536\n65535\n",
       k_wol_prompt + invalid(0) + k_wol_prompt + invalid(65536) + k_wol_prompt + wol_done(65535),
       {{k_wol, 0x0000FFFF}, {k_header, 0x004155AA}}},
      {"hexadecimal is no number, negative and too large refused",
       qm_wol(),
       "-W",
       "ff\n-5\n4294967296\n1\n",
       k_wol_prompt + negative(-1) + k_wol_prompt + negative(-5) + k_wol_prompt + k_too_large +
           k_wol_prompt + wol_done(1),
       {{k_wol, 0x00000001}, {k_header, 0x004055AA}}},
  };
  for (const run_case& c : cases) check(c);
}

TEST(Refusals, ManagementCommandsLeaveTheImageUntouched) {
  testimg::recipe zt_with_wol = zt();
  zt_with_wol.sub_sys_id = testimg::sub_sys_id(0x1001, 0x00, 2, true);
  const std::vector<run_case> cases = {
      {"-G on ZT", zt(), "-G", "5\n", k_family_refused, {}},
      {"-W on ZT with the WOL bit", zt_with_wol, "-W", "10\n", k_family_refused, {}},
      {"-W on QM without the WOL bit", qm(), "-W", "10\n", k_wol_refused, {}},
      {"-W on QM without sub-system ID",
       testimg::recipe{},
       "-W",
       "10\n",
       k_no_sub_sys_id + k_wol_refused,
       {}},
  };
  for (const run_case& c : cases) check(c);
}

TEST(EndOfInput, ManagementCommandsWriteNothing) {
  const testimg::recipe configured = with(
      qm_wol(), 0x00F355AA, {{k_gpio, 0x1}, {k_qm_arp, 0x0050000E}, {k_wol, 0x5}, {k_lldp, 0x3}});
  const std::vector<run_case> cases = {
      {"-G prompt", configured, "-G", "", k_gpio_prompt + k_no_input, {}},
      {"-G prompt again",
       configured,
       "-G",
       "zz\n",
       k_gpio_prompt + negative(-1) + k_gpio_prompt + k_no_input,
       {}},
      {"-S choice", configured, "-S", "  \n", k_arp_prompt + k_no_input, {}},
      {"-S question", configured, "-S", "0\n", k_arp_prompt + k_question + k_no_input, {}},
      {"-S address",
       configured,
       "-S",
       "0\ny\n",
       k_arp_prompt + k_question + k_addr_prompt + k_no_input,
       {}},
      {"-S address after y without line end",
       configured,
       "-S",
       "0\ny",
       k_arp_prompt + k_question + k_addr_prompt + k_no_input,
       {}},
      {"-S address after a refused one",
       configured,
       "-S",
       "0\ny\n7\n",
       k_arp_prompt + k_question + k_addr_prompt + k_addr_refused + k_addr_prompt + k_no_input,
       {}},
      {"-S address after zz",
       zt(),
       "-S",
       "0\ny\nzz",
       k_arp_prompt + k_question + k_addr_prompt + k_addr_refused + k_addr_prompt + k_no_input,
       {}},
      {"-L prompt", configured, "-L", "", k_lldp_prompt + k_no_input, {}},
      {"-L prompt again",
       configured,
       "-L",
       "10\n",
       k_lldp_prompt + invalid(16) + k_lldp_prompt + k_no_input,
       {}},
      {"-W prompt", configured, "-W", "", k_wol_prompt + k_no_input, {}},
      {"-W prompt again",
       configured,
       "-W",
       "0\n",
       k_wol_prompt + invalid(0) + k_wol_prompt + k_no_input,
       {}},
  };
  for (const run_case& c : cases) check(c);
}

}  // namespace
