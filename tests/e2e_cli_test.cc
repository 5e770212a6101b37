// The command line, listing, recovery, renaming and image refusals, through
// the built tool.
#include <gtest/gtest.h>

#include "e2e_runner.h"

namespace {

using e2e::scratch;

const std::string k_usage =
    "\nUsage: ./dorvane_oem_tool -F [<image_path>] [<config_options>]\n"
    "       ./dorvane_oem_tool --version\n"
    "       ./dorvane_oem_tool --help\n";

const std::string k_help =
    "Please read User Manual carefully before configuring!\n"
    "OEM tool basic options:\n"
    "    -F                   To select an Image File\n"
    "    --version            To check the version of tool\n"
    "    --help               To get detail information of tool\n"
    "LED/PHY config options:\n"
    "    -I                   To set inner phy LED\n"
    "    -Y                   To set yt8521s/yt8531s phy configuration\n"
    "    -M                   To set marvell 88e1512 phy configuration\n"
    "    -E                   To set external phy configuration\n"
    "    -P                   To set marvell 88e1512 phy mode\n"
    "    -X                   To set marvell 88x3310 phy LED\n"
    "Other config options:\n"
    "    -G                   To set GPIO input/ouput\n"
    "    -S                   To enable/disable SMBUS arp(configure SMBUS address is optional)\n"
    "    -L                   To enable/disable LLDP tx\n"
    "    -W                   To set WOL wake io pull down time\n"
    "    -N                   To enable/disable network port\n"
    "    -D                   To set port mode\n"
    "    -C                   To check current configuration\n" +
    k_usage;

const std::string k_version = "dorvane_oem_tool  version : 1.2.1\n";

std::string unknown(const std::string& arg) {
  return "ERROR: There are unknown options " + arg + " in command line!\n";
}

TEST(CommandLine, HelpUsageAndVersionTexts) {
  scratch s;
  EXPECT_EQ(s.run("").out, k_help);
  EXPECT_EQ(s.run("--help").out, k_help);
  EXPECT_EQ(s.run("--version").out, k_version);
  EXPECT_EQ(s.run("-F board.img").out, k_usage);
  EXPECT_EQ(s.run("-F board.img -Q").out, unknown("-Q") + k_usage);
  EXPECT_EQ(s.run("-F board.img -c").out, unknown("-c") + k_usage);
  EXPECT_EQ(s.run("-F board.img -").out, k_usage);
  EXPECT_EQ(s.run("--version x -Q").out, unknown("-Q") + k_version);
  EXPECT_EQ(s.run("--help x -Y").out, k_help);
  const e2e::result r = s.run("-Z board.img -C");
  EXPECT_EQ(r.out, unknown("-Z") + k_help);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(s.files().empty());
}

TEST(CommandLine, OnlyTheSecondCharacterOfTheOptionCounts) {
  scratch s;
  s.put_image("board.img", e2e::qm_image(0x00));
  const std::string expected =
      e2e::listing(0xFFFFFFFF, 0xFFFFFFFF, 0xF) + e2e::k_not_modified + "\n";
  EXPECT_EQ(s.run("-F board.img XC").out, expected);
  EXPECT_EQ(s.run("-F board.img -Cxyz extra args").out, expected);
  EXPECT_EQ(s.files(), std::vector<std::string>{"board.img"});
}

TEST(CommandLine, MissingImageIsNotCreated) {
  scratch s;
  EXPECT_EQ(s.run("-F nothing.img -C").out, "[Error] Fail to open file!\n");
  EXPECT_TRUE(s.files().empty());
}

TEST(ImageCheck, ShortFileAndDirectoryAreRefusedUntouched) {
  scratch s;
  std::vector<std::uint8_t> small(0xFFFFF, 0xFF);
  testimg::write_file(s.path("small.img"), small);
  EXPECT_EQ(s.run("-F small.img -0").out,
            "[Error] Image file is too small: 1048575 bytes, at least 1048576 expected!\n");
  EXPECT_EQ(s.image("small.img"), small);

  ASSERT_EQ(std::system(("mkdir '" + s.path("dir.img") + "'").c_str()), 0);
  EXPECT_EQ(s.run("-F dir.img -0").out, "[Error] dir.img is not a regular file!\n");
  EXPECT_EQ(s.files(), (std::vector<std::string>{"dir.img", "small.img"}));
}

TEST(ImageCheck, LongerFileIsAccepted) {
  scratch s;
  std::vector<std::uint8_t> big = testimg::build(e2e::qm_image(0x00));
  big.resize(0x100400, 0x00);
  testimg::write_file(s.path("big.img"), big);
  const e2e::result r = s.run("-F big.img -0");
  const std::string renamed = e2e::find_oem_image(s, "big");
  ASSERT_NE(renamed, "");
  EXPECT_EQ(s.image(renamed).size(), 0x100400U);
}

TEST(Identification, MessagesShowBeforeTheCommand) {
  scratch s;
  testimg::recipe erased;  // erased sub-system ID word
  s.put_image("erased.img", erased);
  EXPECT_EQ(s.run("-F erased.img -C").out, "sub sys id unsupport !" +
                                               e2e::listing(0xFFFFFFFF, 0xFFFFFFFF, 0xF) +
                                               e2e::k_not_modified + "\n");

  s.put_image("wide.img", e2e::qm_image(0x00, 6));
  EXPECT_EQ(s.run("-F wide.img -C").out, "sid port num 6 unsupport\n" +
                                             e2e::listing(0xFFFFFFFF, 0xFFFFFFFF, 0xF) +
                                             e2e::k_not_modified + "\n");

  s.put_image("zt.img", e2e::zt_image(0x9A, 0x2001));
  EXPECT_EQ(
      s.run("-F zt.img -C").out,
      "phy id unknown\n" + e2e::listing(0xFFFFFFFF, 0xFFFFFFFF, 0xF) + e2e::k_not_modified + "\n");
}

TEST(ListingAndRecovery, RecoveryErasesTheOemAreaOnly) {
  for (const bool zt : {false, true}) {
    SCOPED_TRACE(zt ? "ZT" : "QM");
    scratch s;
    testimg::recipe r = zt ? e2e::zt_image(0x10) : e2e::qm_image(0x60, 3);
    r.oem_header = 0x000155AA;
    for (std::uint32_t off = 0xFF004; off <= 0xFF028; off += 4) r.words[off] = off;
    r.words[0xF1000] = 0x3;
    const std::vector<std::uint8_t> before = s.put_image("board.img", r);

    e2e::result res = s.run("-F board.img -C");
    std::string list = "\nConfiguration List:\n0xff000 : 0x155aa\n";
    for (std::uint32_t off = 0xFF004; off <= 0xFF024; off += 4) {
      char line[64];
      std::snprintf(line, sizeof line, "0x%x : 0x%x\n", off, off);
      list += line;
    }
    list += "0xf1000 : 0x3\n0x16c : 0x" + std::string(zt ? "f" : "7") + "\n";
    EXPECT_EQ(res.out, list + e2e::k_not_modified + "\n");
    EXPECT_EQ(s.image("board.img"), before);

    res = s.run("-F board.img -0");
    const std::string renamed = e2e::find_oem_image(s, "board");
    ASSERT_NE(renamed, "");
    EXPECT_EQ(res.out,
              "erase region : [0xff000, 0xff028], lldp region : 0xf1000\n"
              "IMG OEM region was successfully recovered to the default value.\n" +
                  e2e::renamed_line(renamed) + "\n");
    EXPECT_EQ(res.err, "");
    std::vector<std::uint8_t> expected = before;
    for (std::uint32_t off = 0xFF000; off <= 0xFF028; off += 4)
      testimg::put_word(&expected, off, 0xFFFFFFFF);
    testimg::put_word(&expected, 0xF1000, 0xFFFFFFFF);
    EXPECT_EQ(s.image(renamed), expected);
    EXPECT_EQ(s.files(), std::vector<std::string>{renamed});
    EXPECT_EQ(s.run("-F " + renamed + " -C").out,
              e2e::listing(0xFFFFFFFF, 0xFFFFFFFF, zt ? 0xF : 0x7) + e2e::k_not_modified + "\n");
  }
}

TEST(Renaming, NamesFollowTheFileNamePart) {
  struct named {
    std::string given;
    std::string base;
  };
  const std::vector<named> cases = {
      {"board.img", "board"},
      {"board_oem_0228.img", "board"},
      {"fw.img.bak", "fw"},
      {"board.bin", "board.bin"},
      {"BOARD.IMG", "BOARD.IMG"},
      {"out_oem/board.img", "out_oem/board"},
      {"x.img/board.bin", "x.img/board.bin"},
  };
  for (const named& c : cases) {
    SCOPED_TRACE(c.given);
    scratch s;
    ASSERT_EQ(
        std::system(("mkdir -p '" + s.path("out_oem") + "' '" + s.path("x.img") + "'").c_str()), 0);
    s.put_image(c.given, e2e::qm_image(0x00));
    const e2e::result r = s.run("-F " + c.given + " -0");
    const std::string renamed = e2e::find_oem_image(s, c.base);
    ASSERT_NE(renamed, "") << r.out << r.err;
    EXPECT_NE(r.out.find(e2e::renamed_line(renamed)), std::string::npos) << r.out;
    EXPECT_FALSE(s.exists(c.given));
  }
}

TEST(Renaming, ExistingTargetIsNeverReplaced) {
  scratch s;
  const std::vector<std::uint8_t> other = s.put_image(e2e::oem_name("board"), e2e::qm_image(0x60));
  s.put_image("board.img", e2e::qm_image(0x00));
  const e2e::result r = s.run("-F board.img -0");
  EXPECT_EQ(r.out.find("[SUCCESS]"), std::string::npos);
  if (!e2e::under_wine()) {
    EXPECT_EQ(r.err, "[ERROR] Error renaming file: File exists\n");
  }
  EXPECT_EQ(r.err.rfind("[ERROR] Error renaming file: ", 0), 0U) << r.err;
  EXPECT_EQ(s.image(e2e::oem_name("board")), other);
  EXPECT_EQ(testimg::word_at(s.image("board.img"), 0xFF000), 0xFFFFFFFFU);
  EXPECT_EQ(testimg::word_at(s.image("board.img"), 0xFFFDC),
            testimg::sub_sys_id(0x0110, 0, 4, false));
}

TEST(Renaming, RenamedTheSameDayKeepsItsName) {
  scratch s;
  const std::string name = e2e::oem_name("board");
  testimg::recipe r = e2e::qm_image(0x00);
  r.words[0xFF004] = 0x1234;
  s.put_image(name, r);
  const e2e::result res = s.run("-F " + name + " -0");
  EXPECT_NE(res.out.find(e2e::renamed_line(name)), std::string::npos) << res.out;
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(s.files(), std::vector<std::string>{name});
  EXPECT_EQ(testimg::word_at(s.image(name), 0xFF004), 0xFFFFFFFFU);
}

TEST(Renaming, OverlongBaseIsRefusedAndKeepsItsName) {
  scratch s;
  const std::string base(200, 'b');
  const std::string dir(60, 'd');
  ASSERT_EQ(std::system(("mkdir '" + s.path(dir) + "'").c_str()), 0);
  const std::string given = dir + "/" + base + ".img";  // base of 261 characters
  s.put_image(given, e2e::qm_image(0x00));
  const e2e::result r = s.run("-F " + given + " -0");
  EXPECT_EQ(r.err,
            "[ERROR] Error renaming file: the name before \"_oem\" or \".img\" is longer than 255 "
            "characters\n");
  EXPECT_TRUE(s.exists(given));
  EXPECT_EQ(testimg::word_at(s.image(given), 0xFF000), 0xFFFFFFFFU);
}

}  // namespace
