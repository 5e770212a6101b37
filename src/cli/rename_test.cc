#include "cli/rename.h"

#include <gtest/gtest.h>

namespace {

TEST(NewName, BaseEndsAtOemTagOrImgInTheFileNamePart) {
  const std::pair<const char*, const char*> cases[] = {
      {"board.img", "board_oem_0301.img"},
      {"board_oem_0228.img", "board_oem_0301.img"},
      {"board_oem.img", "board_oem_0301.img"},
      {"fw.img.bak", "fw_oem_0301.img"},
      {"board.bin", "board.bin_oem_0301.img"},
      {"BOARD.IMG", "BOARD.IMG_oem_0301.img"},
      {"a.img_oem_1.img", "a.img_oem_0301.img"},
      {"out_oem/board.img", "out_oem/board_oem_0301.img"},
      {"lot.img/board_oem_1231.img", "lot.img/board_oem_0301.img"},
      {"/abs/x_oem/y.img/z", "/abs/x_oem/y.img/z_oem_0301.img"},
      {"", "_oem_0301.img"},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(oem_name::build(path, "_0301"), std::optional<std::string>(expected)) << path;
  }
}

TEST(NewName, DateTagHasTwoDigitsEach) {
  EXPECT_EQ(oem_name::date_tag(3, 1), "_0301");
  EXPECT_EQ(oem_name::date_tag(12, 31), "_1231");
}

TEST(NewName, LongNamesAreCutOrRefused) {
  const std::string base255(255, 'b');
  const std::optional<std::string> cut = oem_name::build(base255 + ".img", "_0301");
  ASSERT_TRUE(cut.has_value());
  EXPECT_EQ(*cut, base255);  // cut to 255 characters: nothing of the tag fits

  const std::string base246(246, 'b');
  EXPECT_EQ(oem_name::build(base246 + ".img", "_0301"), base246 + "_oem_0301");

  EXPECT_EQ(oem_name::build(std::string(256, 'b') + ".img", "_0301"), std::nullopt);
  EXPECT_EQ(oem_name::build(std::string(300, 'b'), "_0301"), std::nullopt);
  // A long directory part counts towards the base as well.
  EXPECT_EQ(oem_name::build(std::string(254, 'd') + "/b.img", "_0301"), std::nullopt);
}

}  // namespace
