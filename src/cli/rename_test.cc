#include "cli/rename.h"

#include <gtest/gtest.h>

namespace {

TEST(NewName, BaseEndsAtTheTagOrImgOfTheFileName) {
  // The file-name part's base is held in 255 characters and the new name cut to 255; the
  // folders before it stay whatever their length. A name cut short keeps no dot at its end.
  const std::string b245(245, 'b'), b250(250, 'b'), b255(255, 'b');
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {
      {"board_oem.img", "board_oem_0301.img"}, {"a.img_oem_1.img", "a.img_oem_0301.img"},
      {"lot.img/board_oem_1231.img", "lot.img/board_oem_0301.img"}, {b255 + ".img", b255}, {b255 + "b.img", "refused: the name before \"_oem\" or \".img\" is longer than 255 characters"},
      {"d/" + b250 + ".img", "d/" + b250 + "_oem_"}, {b245 + ".img", b245 + "_oem_0301"},
      {std::string(255, '.'), "refused: the new name, cut to 255 characters, is nothing but dots"}};
  // clang-format on
  for (const auto& [path, want] : rows) {
    std::string why;
    EXPECT_EQ(oem_name::build(path, "_0301", &why).value_or("refused: " + why), want) << path;
  }
  EXPECT_EQ(oem_name::date_tag(3, 1) + oem_name::date_tag(12, 31), "_0301_1231");
}

}  // namespace
