// The PHY LED commands and the value prompt's dialogue, through the built
// tool: prompts and answers, the words written, the OEM header and the new
// name of the image. Refusals and the end of the console input are run for
// every command in e2e_nothing_lost_test.cc.
#include <gtest/gtest.h>

#include "e2e_runner.h"

namespace {

using e2e::expect_configured;

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
const std::string k_yt =
    "Please input config val of YT Phy LED0 :"
    "Please input config val of YT Phy LED1 :"
    "Please input config val of YT Phy LED2 :"
    "Please input config val of YT Phy LED blink cfg :";
const std::string k_x3310[] = {"Please input config val of MV88X3310 Phy LED0 :",
                               "Please input config val of MV88X3310 Phy LED1 :",
                               "Please input config val of MV88X3310 Phy LED2 :",
                               "Please input config val of MV88X3310 Phy LED3 :"};
const std::string k_x3310_all = k_x3310[0] + k_x3310[1] + k_x3310[2] + k_x3310[3];

const std::string k_done_bang = "\nConfiguration completed successfully!\n";
const std::string k_done_colon = "\nConfiguration completed successfully :\n";
const std::string k_ext_done = k_done_colon + " LED configuration : 0x";
const std::string k_illegal = "Illegal input, Please try again!\n";
const std::string k_too_large = "ERROR, Input Value too large, at most 32 bits\n";

std::string negative(long long value) {
  return "ERROR, Input Value (" + std::to_string(value) + ") < (0) invalid\n";
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

testimg::recipe qm(std::uint8_t phy) { return e2e::qm_image(phy); }
testimg::recipe zt(std::uint8_t phy) { return e2e::zt_image(phy); }

TEST(InnerLed, FieldLineBeforeCompletionOnBothFamilies) {
  struct inner_case {
    const char* what;
    testimg::recipe image;
    std::uint32_t header_after;
  };
  const inner_case cases[] = {{"QM, erased header", qm(0x00), 0x000255AA},
                              {"ZT, configured before", configured_before(zt(0x00)), 0x000355AA}};
  for (const inner_case& c : cases) {
    SCOPED_TRACE(c.what);
    expect_configured(c.image, "-I", "12345678\n",
                      k_inner + "    Polarity : 0x34  LED : 0x5678\n" + k_done_bang,
                      {{k_led0, 0x00345678}, {k_header, c.header_after}});
  }
}

TEST(YtLed, TwoWordsOfTwoSixteenBitFields) {
  expect_configured(
      qm(0x61), "-Y", "1\n2\n3\n4\n",
      k_yt + k_done_colon + "    LED0 : 0x1  LED1 : 0x2  LED2 : 0x3  LED blink : 0x4\n",
      {{k_led0, 0x00020001}, {k_led1, 0x00040003}, {k_header, 0x000255AA}});
  // Each entry keeps its low 16 bits only.
  expect_configured(
      configured_before(qm(0x60)), "-Y", "12345\n6789a\nbcdef\n7fffffff\n",
      k_yt + k_done_colon + "    LED0 : 0x2345  LED1 : 0x789a  LED2 : 0xcdef  LED blink : 0xffff\n",
      {{k_led0, 0x789A2345}, {k_led1, 0xFFFFCDEF}, {k_header, 0x000355AA}});
}

TEST(MvLed, CutToItsFieldsForEachMarvellPhyAndConfirmedFirst) {
  const std::uint8_t marvell_phys[] = {0x50, 0x51, 0x52};  // types F, C and M
  for (const std::uint8_t phy : marvell_phys) {
    SCOPED_TRACE(phy);
    expect_configured(configured_before(qm(phy)), "-M", "fffffff\n",
                      k_mv + k_done_bang + "    Polarity : 0xf  LED : 0xff  Blink_freq : 0x7\n",
                      {{k_led0, 0x01CF00FF}, {k_header, 0x000355AA}});
  }
  expect_configured(qm(0x52), "-M", "1234567\n",
                    k_mv + k_done_bang + "    Polarity : 0x3  LED : 0x67  Blink_freq : 0x4\n",
                    {{k_led0, 0x01030067}, {k_header, 0x000255AA}});
}

TEST(ExtLed, RtlTakesTheWholeEntryJlItsLow16Bits) {
  expect_configured(qm(0x90), "-E", "1\n12345\n", k_menu + k_rtl + k_ext_done + "12345\n",
                    {{k_led0, 0x00012345}, {k_header, 0x000255AA}});
  expect_configured(configured_before(qm(0x90)), "-E", "2\n7edcba98\n",
                    k_menu + k_jl + k_ext_done + "ba98\n",
                    {{k_led0, 0x0000BA98}, {k_header, 0x000355AA}});
}

TEST(ExtLed, RefusedChoicesBringTheMenuBackRefusedValuesOnlyTheirPrompt) {
  // A no-number choice is judged as the choice before it: first -1, then 0.
  // The LED value starts from -1 again, whatever the choice was.
  expect_configured(qm(0x90), "-E", "zz\n3\n0\nzz\n-1\n1\n\nzz\n-7\n12345\n",
                    k_menu + negative(-1) + k_menu + k_illegal + k_menu + k_illegal + k_menu +
                        k_illegal + k_menu + negative(-1) + k_menu + k_rtl + negative(-1) + k_rtl +
                        negative(-7) + k_rtl + k_ext_done + "12345\n",
                    {{k_led0, 0x00012345}, {k_header, 0x000255AA}});
}

TEST(X3310Led, TwoWordsOfTwoSixteenBitFields) {
  expect_configured(
      zt(0x10), "-X", "10\n20\n30\n40\n",
      k_x3310_all + k_done_colon + "    LED0 : 0x10  LED1 : 0x20  LED2 : 0x30  LED3 : 0x40\n",
      {{k_x3310_led0, 0x00200010}, {k_x3310_led1, 0x00400030}, {k_header, 0x002055AA}});
  expect_configured(
      configured_before(zt(0x10)), "-X", "12345\n6789a\nbcdef\n7fffffff\n",
      k_x3310_all + k_done_colon +
          "    LED0 : 0x2345  LED1 : 0x789a  LED2 : 0xcdef  LED3 : 0xffff\n",
      {{k_x3310_led0, 0x789A2345}, {k_x3310_led1, 0xFFFFCDEF}, {k_header, 0x002155AA}});
}

TEST(ValuePrompt, RefusedEntriesAreAskedAgain) {
  const std::string& p0 = k_x3310[0];
  const std::string& p1 = k_x3310[1];
  const std::string& p2 = k_x3310[2];
  const std::string& p3 = k_x3310[3];
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
  const char* const inputs[] = {"1\r\n\r\n5 9\r\n  0x6\r\n7\r\n",  // CR LF line ends
                                "1\n5\n6\n7"};                     // no end on the last line
  for (const char* input : inputs) {
    SCOPED_TRACE(input);
    expect_configured(
        qm(0x60), "-Y", input,
        k_yt + k_done_colon + "    LED0 : 0x1  LED1 : 0x5  LED2 : 0x6  LED blink : 0x7\n",
        {{k_led0, 0x00050001}, {k_led1, 0x00070006}, {k_header, 0x000255AA}});
  }
}

}  // namespace
