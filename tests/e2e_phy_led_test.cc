// The PHY LED commands and the value prompt's dialogue, through the built
// tool: refusals, prompts and answers, the words written, the OEM header and
// the new name of the image.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "e2e_runner.h"

namespace {

using e2e::scratch;
using word_map = std::map<std::uint32_t, std::uint32_t>;

constexpr std::uint32_t k_header = 0xFF000;
constexpr std::uint32_t k_gpio = 0xFF004;
constexpr std::uint32_t k_led0 = 0xFF008;
constexpr std::uint32_t k_led1 = 0xFF00C;
constexpr std::uint32_t k_x3310_led0 = 0xFF014;
constexpr std::uint32_t k_x3310_led1 = 0xFF018;

const std::string k_inner = "Please input config val of Inner Phy LED :";
const std::string k_mv = "Please input config val of MV Phy LED :";
const std::string k_menu =
    "input 1 to config RTL8211F PHY LED.\ninput 2 to config JL2201 PHY LED.\n"
    "Please input your number:";
const std::string k_rtl = "Please input config val of RTL8211F PHY LED:";
const std::string k_jl = "Please input config val of JL2201 PHY LED:";
const std::vector<std::string> k_yt = {
    "Please input config val of YT Phy LED0 :", "Please input config val of YT Phy LED1 :",
    "Please input config val of YT Phy LED2 :",
    "Please input config val of YT Phy LED blink cfg :"};
const std::vector<std::string> k_x3310 = {"Please input config val of MV88X3310 Phy LED0 :",
                                          "Please input config val of MV88X3310 Phy LED1 :",
                                          "Please input config val of MV88X3310 Phy LED2 :",
                                          "Please input config val of MV88X3310 Phy LED3 :"};

const std::string k_done_bang = "\nConfiguration completed successfully!\n";
const std::string k_done_colon = "\nConfiguration completed successfully :\n";
const std::string k_illegal = "Illegal input, Please try again!\n";
const std::string k_not_supported = "ERROR, the img not support this option\n";
const std::string k_too_large = "ERROR, Input Value too large, at most 32 bits\n";
const std::string k_no_more_input = "\nERROR, no more input, nothing written\n";
const std::string k_no_ssid = "sub sys id unsupport !";
const std::string k_phy_unknown = "phy id unknown\n";

std::string negative(long long value) {
  return "ERROR, Input Value (" + std::to_string(value) + ") < (0) invalid\n";
}

// The first n prompts of a four-prompt command.
std::string prompts(const std::vector<std::string>& texts, std::size_t n = 4) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += texts[i];
  return s;
}

// "" when the two images are equal, else the first word that differs.
std::string difference(const std::vector<std::uint8_t>& got,
                       const std::vector<std::uint8_t>& want) {
  if (got.size() != want.size()) return "image size " + std::to_string(got.size());
  for (std::uint32_t off = 0; off < want.size(); off += 4) {
    const std::uint32_t g = testimg::word_at(got, off);
    const std::uint32_t w = testimg::word_at(want, off);
    if (g != w) {
      char buf[80];
      std::snprintf(buf, sizeof buf, "word 0x%x is 0x%08x, expected 0x%08x", off, g, w);
      return buf;
    }
  }
  return "";
}

// An image configured by earlier runs: GPIO enable bit in the header and
// values in the words these commands write, so that what they keep shows.
testimg::recipe configured_before(testimg::recipe r) {
  r.oem_header = 0x000155AA;
  r.words = {{k_gpio, 0x1234},
             {k_led0, 0x0BAD0BAD},
             {k_led1, 0x5EED5EED},
             {k_x3310_led0, 0x0F0F0F0F},
             {k_x3310_led1, 0x70707070}};
  return r;
}

// The run's whole output is `transcript` and the renamed-file line; the image
// now has its new name and is the original with exactly `changed` words.
void expect_configured(const testimg::recipe& r, const std::string& option,
                       const std::string& input, const std::string& transcript,
                       const word_map& changed) {
  scratch s;
  std::vector<std::uint8_t> want = s.put_image("board.img", r);
  const e2e::result res = s.run("-F board.img " + option, input);
  const std::string renamed = e2e::find_oem_image(s, "board");
  ASSERT_NE(renamed, "") << res.out << res.err;
  EXPECT_EQ(res.out, transcript + e2e::renamed_line(renamed) + "\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(s.files(), std::vector<std::string>{renamed});
  for (const auto& [off, value] : changed) testimg::put_word(&want, off, value);
  EXPECT_EQ(difference(s.image(renamed), want), "");
}

// The run's whole output is `transcript` and the not-modified line; the image
// keeps its name and every byte.
void expect_untouched(const testimg::recipe& r, const std::string& option, const std::string& input,
                      const std::string& transcript) {
  scratch s;
  const std::vector<std::uint8_t> before = s.put_image("board.img", r);
  const e2e::result res = s.run("-F board.img " + option, input);
  EXPECT_EQ(res.out, transcript + e2e::k_not_modified + "\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(s.files(), std::vector<std::string>{"board.img"});
  EXPECT_EQ(difference(s.image("board.img"), before), "");
}

testimg::recipe qm(std::uint8_t phy, unsigned ports = 4) { return e2e::qm_image(phy, ports); }
testimg::recipe zt(std::uint8_t phy, std::uint16_t device = 0x1001) {
  return e2e::zt_image(phy, device);
}
testimg::recipe erased_id() { return testimg::recipe{}; }

std::string trace(const testimg::recipe& r) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "sub-system id 0x%08x", r.sub_sys_id);
  return buf;
}

// An image, and the text that its identification and the command print
// for it.
struct per_image {
  testimg::recipe image;
  std::string text;
};

// Each image is refused before anything is asked: answers are there to be
// taken, but nothing reads them.
void expect_refused(const std::string& option, const std::vector<per_image>& cases) {
  for (const per_image& c : cases) {
    SCOPED_TRACE(option + " on " + trace(c.image));
    expect_untouched(configured_before(c.image), option, "1\n1\n2\n3\n4\n", c.text);
  }
}

TEST(InnerLed, KeepsPolarityAndLedOnBothFamilies) {
  const std::vector<per_image> cases = {
      {qm(0x00), ""},         {qm(0x33, 2), ""}, {erased_id(), k_no_ssid}, {zt(0x00), ""},
      {zt(0x3F, 0x2001), ""}, {zt(0x4A), ""},    {zt(0x65, 0x2001), ""},
  };
  for (const per_image& c : cases) {
    SCOPED_TRACE(trace(c.image));
    expect_configured(configured_before(c.image), "-I", "12345678\n",
                      c.text + k_inner + "    Polarity : 0x34  LED : 0x5678\n" + k_done_bang,
                      {{k_led0, 0x00345678}, {k_header, 0x000355AA}});
  }
  expect_configured(qm(0x00), "-I", "7fffffff\n",
                    k_inner + "    Polarity : 0xff  LED : 0xffff\n" + k_done_bang,
                    {{k_led0, 0x00FFFFFF}, {k_header, 0x000255AA}});
}

TEST(InnerLed, RefusedForEveryOtherPhy) {
  auto not_inner = [](char t) {
    return std::string("\nCurrent phy type ") + t + ", not INNER Phy\n";
  };
  expect_refused("-I", {
                           {qm(0x03), not_inner('F')},
                           {qm(0x51), not_inner('C')},
                           {qm(0x52), not_inner('M')},
                           {qm(0x64), not_inner('Y')},
                           {qm(0x80), not_inner('O')},
                           {qm(0x90), not_inner('E')},
                           {qm(0xA0), not_inner('A')},
                           {zt(0x10), not_inner('E')},
                           {zt(0x9A), k_phy_unknown + not_inner('E')},
                       });
}

TEST(YtLed, TwoWordsOfTwoFieldsEach) {
  for (const int phy : {0x60, 0x61, 0x62, 0x64, 0x70}) {
    SCOPED_TRACE(phy);
    expect_configured(
        qm(static_cast<std::uint8_t>(phy)), "-Y", "1\n2\n3\n4\n",
        prompts(k_yt) + k_done_colon + "    LED0 : 0x1  LED1 : 0x2  LED2 : 0x3  LED blink : 0x4\n",
        {{k_led0, 0x00020001}, {k_led1, 0x00040003}, {k_header, 0x000255AA}});
  }
  // Each entry keeps its low 16 bits only.
  expect_configured(configured_before(qm(0x60, 2)), "-Y", "12345\n6789a\nbcdef\n7fffffff\n",
                    prompts(k_yt) + k_done_colon +
                        "    LED0 : 0x2345  LED1 : 0x789a  LED2 : 0xcdef  LED blink : 0xffff\n",
                    {{k_led0, 0x789A2345}, {k_led1, 0xFFFFCDEF}, {k_header, 0x000355AA}});
}

TEST(YtLed, RefusedOnZtAndForOtherPhys) {
  auto not_yt = [](char t) { return std::string("Current phy type ") + t + ", not YT Phy\n"; };
  expect_refused("-Y", {
                           {zt(0x00), k_not_supported},
                           {zt(0x60, 0x2001), k_not_supported},
                           {zt(0x10), k_not_supported},
                           {zt(0x9A), k_phy_unknown + k_not_supported},
                           {qm(0x00), not_yt('I')},
                           {qm(0x03), not_yt('F')},
                           {qm(0x52), not_yt('M')},
                           {qm(0x90), not_yt('E')},
                           {qm(0xA0), not_yt('A')},
                           {erased_id(), k_no_ssid + not_yt('I')},
                       });
}

TEST(MvLed, CutToItsFieldsAndConfirmedBeforeTheFieldLine) {
  for (const int phy : {0x03, 0x50, 0x51, 0x52}) {
    SCOPED_TRACE(phy);
    expect_configured(qm(static_cast<std::uint8_t>(phy)), "-M", "fffffff\n",
                      k_mv + k_done_bang + "    Polarity : 0xf  LED : 0xff  Blink_freq : 0x7\n",
                      {{k_led0, 0x01CF00FF}, {k_header, 0x000255AA}});
  }
  expect_configured(configured_before(qm(0x52, 3)), "-M", "1234567\n",
                    k_mv + k_done_bang + "    Polarity : 0x3  LED : 0x67  Blink_freq : 0x4\n",
                    {{k_led0, 0x01030067}, {k_header, 0x000355AA}});
}

TEST(MvLed, RefusedOnZtAndForOtherPhys) {
  auto not_mv = [](char t) { return std::string("Current phy type ") + t + ", not MV Phy\n"; };
  expect_refused("-M", {
                           {zt(0x00), k_not_supported},
                           {zt(0x50, 0x2001), k_not_supported},
                           {qm(0xA0), not_mv('A')},
                           {qm(0x00), not_mv('I')},
                           {qm(0x62), not_mv('Y')},
                           {qm(0x80), not_mv('O')},
                           {qm(0x90), not_mv('E')},
                       });
}

TEST(ExtLed, ChoiceSelectsTheWholeEntryOrItsLow16Bits) {
  const std::string done = k_done_colon + " LED configuration : 0x";
  expect_configured(qm(0x90), "-E", "1\n12345\n", k_menu + k_rtl + done + "12345\n",
                    {{k_led0, 0x00012345}, {k_header, 0x000255AA}});
  expect_configured(qm(0x90), "-E", "2\n12345\n", k_menu + k_jl + done + "2345\n",
                    {{k_led0, 0x00002345}, {k_header, 0x000255AA}});
  expect_configured(configured_before(qm(0x90, 2)), "-E", "0x1\n7fffffff\n",
                    k_menu + k_rtl + done + "7fffffff\n",
                    {{k_led0, 0x7FFFFFFF}, {k_header, 0x000355AA}});
  expect_configured(configured_before(qm(0x90)), "-E", "2\n7edcba98\n",
                    k_menu + k_jl + done + "ba98\n",
                    {{k_led0, 0x0000BA98}, {k_header, 0x000355AA}});
}

TEST(ExtLed, RefusedChoicesBringTheMenuBackRefusedValuesOnlyTheirPrompt) {
  const std::string done = k_done_colon + " LED configuration : 0x";
  // A no-number choice is judged as the choice before it: first -1, then 0.
  expect_configured(qm(0x90), "-E", "zz\n3\n0\nzz\n-1\n2\n\nzz\n-7\n5\n",
                    k_menu + negative(-1) + k_menu + k_illegal + k_menu + k_illegal + k_menu +
                        k_illegal + k_menu + negative(-1) + k_menu + k_jl + negative(-1) + k_jl +
                        negative(-7) + k_jl + done + "5\n",
                    {{k_led0, 0x00000005}, {k_header, 0x000255AA}});
  expect_configured(qm(0x90), "-E", "1\nzz\n12345\n",
                    k_menu + k_rtl + negative(-1) + k_rtl + done + "12345\n",
                    {{k_led0, 0x00012345}, {k_header, 0x000255AA}});
}

TEST(ExtLed, RefusedOnZtAndForOtherPhys) {
  auto not_ext = [](char t) { return std::string("Current phy type ") + t + ", not EXT Phy ID\n"; };
  expect_refused("-E", {
                           {zt(0x10), k_not_supported},
                           {zt(0x00, 0x2001), k_not_supported},
                           {qm(0x00), not_ext('I')},
                           {qm(0x70), not_ext('Y')},
                           {qm(0x50), not_ext('F')},
                           {qm(0x80), not_ext('O')},
                           {qm(0xA0), not_ext('A')},
                       });
}

TEST(X3310Led, TwoWordsOnZtExternalPhys) {
  const std::vector<per_image> cases = {
      {zt(0x10), ""},
      {zt(0x2A, 0x2001), ""},
      {zt(0x5F), ""},
      {zt(0x70), k_phy_unknown},
      {zt(0xFF, 0x2001), k_phy_unknown},
  };
  for (const per_image& c : cases) {
    SCOPED_TRACE(trace(c.image));
    expect_configured(
        c.image, "-X", "10\n20\n30\n40\n",
        c.text + prompts(k_x3310) + k_done_colon +
            "    LED0 : 0x10  LED1 : 0x20  LED2 : 0x30  LED3 : 0x40\n",
        {{k_x3310_led0, 0x00200010}, {k_x3310_led1, 0x00400030}, {k_header, 0x002055AA}});
  }
  expect_configured(
      configured_before(zt(0x10)), "-X", "12345\n6789a\nbcdef\n7fffffff\n",
      prompts(k_x3310) + k_done_colon +
          "    LED0 : 0x2345  LED1 : 0x789a  LED2 : 0xcdef  LED3 : 0xffff\n",
      {{k_x3310_led0, 0x789A2345}, {k_x3310_led1, 0xFFFFCDEF}, {k_header, 0x002155AA}});
}

TEST(X3310Led, RefusedOnQmAndForInnerPhys) {
  const std::string not_marvell = "Current phy type I, not Marvell Phy\n";
  expect_refused("-X", {
                           {qm(0x90), k_not_supported},
                           {qm(0x00), k_not_supported},
                           {erased_id(), k_no_ssid + k_not_supported},
                           {zt(0x00), not_marvell},
                           {zt(0x30, 0x2001), not_marvell},
                           {zt(0x4F), not_marvell},
                           {zt(0x60), not_marvell},
                       });
}

TEST(ValuePrompt, RefusedEntriesAreAskedAgain) {
  const std::string p0 = k_x3310[0], p1 = k_x3310[1], p2 = k_x3310[2], p3 = k_x3310[3];
  const std::string input =
      "-5\nzz\nffffffff\n80000000\n100000000\n1f 7\n"  // LED0
      "\n\n  \t\n0x2F\n"                               // LED1: empty lines print nothing
      "zz\n+3\n"                                       // LED2: no number before any value
      "00000000ffff0004\n0X4\n";                       // LED3
  expect_configured(
      zt(0x10), "-X", input,
      p0 + negative(-5) + p0 + negative(-5) + p0 + negative(-1) + p0 + negative(-2147483648LL) +
          p0 + k_too_large + p0 + p1 + p2 + negative(-1) + p2 + p3 + negative(-65532) + p3 +
          k_done_colon + "    LED0 : 0x1f  LED1 : 0x2f  LED2 : 0x3  LED3 : 0x4\n",
      {{k_x3310_led0, 0x002F001F}, {k_x3310_led1, 0x00040003}, {k_header, 0x002055AA}});
}

TEST(ValuePrompt, OneAnswerPerLineWhateverTheLineEnds) {
  const std::string yt_done =
      prompts(k_yt) + k_done_colon + "    LED0 : 0x1  LED1 : 0x5  LED2 : 0x6  LED blink : 0x7\n";
  const word_map yt_words = {{k_led0, 0x00050001}, {k_led1, 0x00070006}, {k_header, 0x000255AA}};
  expect_configured(qm(0x60), "-Y", "1 2 3 4\n5\n6\n7\n", yt_done, yt_words);
  expect_configured(qm(0x60), "-Y", "1\r\n\r\n5 9\r\n  0x6\r\n7\r\n", yt_done, yt_words);
  expect_configured(qm(0x60), "-Y", "1\n5\n6\n7", yt_done, yt_words);
  expect_configured(
      qm(0x90), "-E", "3\r\n\r\n1\r\n12345\r\n",
      k_menu + k_illegal + k_menu + k_rtl + k_done_colon + " LED configuration : 0x12345\n",
      {{k_led0, 0x00012345}, {k_header, 0x000255AA}});
}

TEST(EndOfInput, PhyLedCommandsWriteNothing) {
  struct eoi_case {
    const char* what;
    testimg::recipe image;
    std::string option;
    std::string input;
    std::string out;
  };
  const testimg::recipe qm_inner = qm(0x00);
  const testimg::recipe qm_yt = qm(0x61);
  const testimg::recipe qm_ext = qm(0x90);
  const testimg::recipe zt_ext = zt(0x20);
  const std::vector<eoi_case> cases = {
      {"-I, no input", qm_inner, "-I", "", k_inner},
      {"-I, blank lines only", qm_inner, "-I", "\n \r\n\t\n", k_inner},
      {"-I, after a no-number entry", qm_inner, "-I", "zz", k_inner + negative(-1) + k_inner},
      {"-I on ZT", zt(0x00), "-I", "", k_inner},
      {"-M", qm(0x51), "-M", "\n", k_mv},
      {"-Y, first", qm_yt, "-Y", "", prompts(k_yt, 1)},
      {"-Y, middle", qm_yt, "-Y", "1\n2\n", prompts(k_yt, 3)},
      {"-Y, last", qm_yt, "-Y", "1\n2\n3\n", prompts(k_yt, 4)},
      {"-X, first", zt_ext, "-X", "", prompts(k_x3310, 1)},
      {"-X, middle", zt_ext, "-X", "1\n2\n", prompts(k_x3310, 3)},
      {"-X, last", zt_ext, "-X", "1\n2\n3\n\n", prompts(k_x3310, 4)},
      {"-X, after a too-large entry", zt_ext, "-X", "1\n123456789",
       prompts(k_x3310, 2) + k_too_large + k_x3310[1]},
      {"-E, menu", qm_ext, "-E", "", k_menu},
      {"-E, menu again", qm_ext, "-E", "3\n", k_menu + k_illegal + k_menu},
      {"-E, RTL8211F value", qm_ext, "-E", "1\n", k_menu + k_rtl},
      {"-E, JL2201 value again", qm_ext, "-E", "2\n-4\n", k_menu + k_jl + negative(-4) + k_jl},
  };
  for (const eoi_case& c : cases) {
    SCOPED_TRACE(c.what);
    expect_untouched(configured_before(c.image), c.option, c.input, c.out + k_no_more_input);
  }
}

}  // namespace
