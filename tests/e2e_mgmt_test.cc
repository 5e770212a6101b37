// GPIO (-G), SMBus ARP (-S), LLDP transmit (-L) and WOL pulse (-W), through
// the built tool: whole dialogues, the words they leave in the image and the
// image's name afterwards.
#include <gtest/gtest.h>

#include <cstdlib>

#include "e2e_runner.h"

namespace {

using e2e::scratch;
using e2e::word_map;

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

std::string negative(long long v) {
  return "ERROR, Input Value (" + std::to_string(v) + ") < (0) invalid\n";
}
std::string invalid(long long v) {
  return "ERROR, Input Value " + std::to_string(v) + " invalid\n";
}
std::string gpio_done(const std::string& v) {
  return "\nConfiguration completed successfully\n    GPIO : " + v + "\n";
}
std::string arp_disabled(const std::string& addr) {
  return "\nConfiguration completed successfully, Disable SMBUS ARP, slave address : " + addr +
         "\n";
}
std::string lldp_done(const std::string& v) {
  return "\nConfiguration completed successfully, LLDP TX config : " + v + "\n";
}
std::string wol_done(unsigned ms) {
  return "\nConfiguration completed successfully, WOL Wake Io pull down time : " +
         std::to_string(ms) + " ms\n";
}

testimg::recipe qm() { return e2e::qm_image(0x00); }
testimg::recipe qm_wol() { return e2e::qm_image(0x00, 4, true); }
testimg::recipe zt() { return e2e::zt_image(0x00); }
testimg::recipe with(testimg::recipe r, std::uint32_t header, const word_map& more = {}) {
  r.oem_header = header;
  for (const auto& [off, value] : more) r.words[off] = value;
  return r;
}

struct run_case {
  std::string name;
  testimg::recipe image;
  std::string input;
  std::string dialogue;  // everything the command prints
  word_map written;      // the words it leaves
};

void expect_runs(const std::string& option, const std::vector<run_case>& cases) {
  for (const run_case& c : cases) {
    SCOPED_TRACE(c.name);
    e2e::expect_configured(c.image, option, c.input, c.dialogue, c.written);
  }
}

// Runs the tool with `input` on a standard input that stays open until the
// tool has exited, as an operator's console does: a tool that waits for more
// than `input` never sees the input end. The timeout only keeps such a
// faulty tool from hanging the suite; it then fails with a non-zero status.
e2e::result run_input_held_open(const scratch& s, const std::string& args,
                                const std::string& input) {
  const std::string script = e2e::tool_command() + " " + args + " > .e2e_out 2> .e2e_err\n";
  testimg::write_file(s.path(".e2e_held"), {input.begin(), input.end()});
  testimg::write_file(s.path(".e2e_tool.sh"), {script.begin(), script.end()});
  const std::string cmd = "cd '" + s.dir() +
                          "' && mkfifo .e2e_gate && { cat .e2e_held; cat .e2e_gate; } | "
                          "{ timeout 300 sh .e2e_tool.sh; rc=$?; echo > .e2e_gate; exit $rc; }";
  const int rc = std::system(cmd.c_str());
  const auto text = [&s](const char* name) {
    const std::vector<std::uint8_t> bytes = s.image(name);
    return std::string(bytes.begin(), bytes.end());
  };
  e2e::result r{text(".e2e_out"), text(".e2e_err")};
  if (rc != 0) r.err += "(exit status " + std::to_string(rc) + ")";
  return r;
}

TEST(Gpio, WritesTheLow16BitsAndSetsItsEnableBit) {
  expect_runs("-G",
              {
                  {"upper bits dropped, erased header",
                   qm(),
                   "12345\n",
                   k_gpio_prompt + gpio_done("0x2345"),
                   {{k_gpio, 0x00002345}, {k_header, 0x000155AA}}},
                  {"negative refused, whole word written, header kept",
                   with(qm(), 0x000255AA, {{k_gpio, 0xABCD0000}}),
                   "80000000\n0x1f\n",
                   k_gpio_prompt + negative(-2147483648LL) + k_gpio_prompt + gpio_done("0x1f"),
                   {{k_gpio, 0x0000001F}, {k_header, 0x000355AA}}},
              });
}

TEST(SmbusArp, EnableWritesTheDefaultAddressAtTheFamilysWord) {
  const word_map neighbours = {{k_zt_arp, 0x11111111}, {k_qm_arp, 0x0050000E}, {k_wol, 0x22222222}};
  expect_runs("-S",
              {
                  {"QM, after refused choices (zz judges 16 again)",
                   with(qm(), 0xFFFFFFFF, neighbours),
                   "10\nzz\n-1\n2\n1\n",
                   k_arp_prompt + invalid(16) + k_arp_prompt + invalid(16) + k_arp_prompt +
                       negative(-1) + k_arp_prompt + invalid(2) + k_arp_prompt + k_arp_enabled,
                   {{k_qm_arp, 0x0049000F}, {k_header, 0x002055AA}}},
                  {"ZT",
                   with(zt(), 0x000255AA, {{k_zt_arp, 0x0050000E}, {k_qm_arp, 0x33333333}}),
                   "1\n",
                   k_arp_prompt + k_arp_enabled,
                   {{k_zt_arp, 0x0049000F}, {k_header, 0x001255AA}}},
              });
}

// Any answer but y or Y keeps the default address, whatever the word held.
// The console stays open: a bare line end answers by itself, and a tool that
// went on to read the operator's next line would never finish.
TEST(SmbusArp, DisableKeepsTheAddressUnlessTheAnswerIsY) {
  for (const std::string answer : {"N\n", "maybe\n", "\n", "\r\n"}) {
    SCOPED_TRACE("answer " + answer);
    scratch s;
    std::vector<std::uint8_t> want =
        s.put_image("board.img", with(qm(), 0xFFFFFFFF, {{k_qm_arp, 0x0050000E}}));
    const e2e::result r = run_input_held_open(s, "-F board.img -S", "0\n" + answer);
    EXPECT_EQ(r.err, "");
    const std::string name = e2e::find_oem_image(s, "board");
    ASSERT_NE(name, "") << r.out;
    EXPECT_EQ(r.out,
              k_arp_prompt + k_question + arp_disabled("0x49") + e2e::renamed_line(name) + "\n");
    EXPECT_EQ(s.files(), std::vector<std::string>{name});
    testimg::put_word(&want, k_qm_arp, 0x0049000E);
    testimg::put_word(&want, k_header, 0x002055AA);
    EXPECT_EQ(e2e::first_difference(s.image(name), want), "");
  }
}

TEST(SmbusArp, AddressIsAskedAfterYAndCheckedAgainstItsRange) {
  const std::string asked = k_arp_prompt + k_question + k_addr_prompt;
  const std::string refused = k_addr_refused + k_addr_prompt;
  expect_runs(
      "-S", {
                {"yes counts by its first character, an empty line is no entry",
                 qm(),
                 "0\nyes\n\n50\n",
                 asked + arp_disabled("0x50"),
                 {{k_qm_arp, 0x0050000E}, {k_header, 0x002055AA}}},
                {"7, 78, zz with the rest of its line, negative and too large refused, 77 accepted",
                 qm(),
                 "0\ny\n7\n78\nzz 9\n-8\n100000000\n77\n",
                 asked + refused + refused + refused + refused + refused + arp_disabled("0x77"),
                 {{k_qm_arp, 0x0077000E}, {k_header, 0x002055AA}}},
                {"ZT, lowest address",
                 with(zt(), 0x000255AA, {{k_qm_arp, 0x33333333}}),
                 "0\nY\n8\n",
                 asked + arp_disabled("0x8"),
                 {{k_zt_arp, 0x0008000E}, {k_header, 0x001255AA}}},
            });
}

// Before recording LLDP the header is normalised: a word with bit 0 set
// starts from the bare signature, and a word that then fails the signature
// test is rebuilt by the enable step.
TEST(Lldp, WritesTheValueAndNormalisesTheHeader) {
  expect_runs("-L", {
                        {"erased header",
                         with(qm(), 0xFFFFFFFF, {{k_lldp, 0x12345678}}),
                         "f\n",
                         k_lldp_prompt + lldp_done("0xf"),
                         {{k_lldp, 0x0000000F}, {k_header, 0x008055AA}}},
                        {"valid header keeps its bits",
                         with(qm(), 0x001355AA),
                         "10\n3\n",
                         k_lldp_prompt + invalid(16) + k_lldp_prompt + lldp_done("0x3"),
                         {{k_lldp, 0x00000003}, {k_header, 0x009355AA}}},
                        {"foreign header with bit 0 clear keeps its upper bits",
                         with(qm(), 0x12340000),
                         "0\n",
                         k_lldp_prompt + lldp_done("0x0"),
                         {{k_lldp, 0x00000000}, {k_header, 0x12B455AA}}},
                        {"signature spoilt by the normalisation, ZT",
                         with(zt(), 0x00001234),
                         "ffffffff\n0x0A\n",
                         k_lldp_prompt + negative(-1) + k_lldp_prompt + lldp_done("0xa"),
                         {{k_lldp, 0x0000000A}, {k_header, 0x008055AA}}},
                    });
}

TEST(Wol, WritesTheDecimalPulseTime) {
  expect_runs("-W", {
                        {"ten milliseconds",
                         qm_wol(),
                         "10\n",
                         k_wol_prompt + wol_done(10),
                         {{k_wol, 0x0000000A}, {k_header, 0x004055AA}}},
                        {"0 and 65536 refused, 65535 accepted",
                         with(qm_wol(), 0x000155AA),
                         "0\n65536\n65535\n",
                         k_wol_prompt + invalid(0) + k_wol_prompt + invalid(65536) + k_wol_prompt +
                             wol_done(65535),
                         {{k_wol, 0x0000FFFF}, {k_header, 0x004155AA}}},
                        {"hexadecimal is no number, negative and too large refused",
                         qm_wol(),
                         "ff\n-5\n4294967296\n1\n",
                         k_wol_prompt + negative(-1) + k_wol_prompt + negative(-5) + k_wol_prompt +
                             k_too_large + k_wol_prompt + wol_done(1),
                         {{k_wol, 0x00000001}, {k_header, 0x004055AA}}},
                    });
}

// An erased sub-system ID word has no WOL bit either.
TEST(Wol, ErasedSubSystemIdIsRefusedAsNoWol) {
  e2e::expect_untouched(testimg::recipe{}, "-W", "10\n",
                        "sub sys id unsupport !ERROR, the img not support WOL\n");
}

}  // namespace
