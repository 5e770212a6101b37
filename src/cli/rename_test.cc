#include "cli/rename.h"

#include <gtest/gtest.h>

namespace {

TEST(NewName, BaseEndsAtTheTagOrImgOfTheFileName) {
  const std::pair<std::string, std::string> rows[] = {
      {"board_oem.img", "board_oem_0301.img"},
      {"a.img_oem_1.img", "a.img_oem_0301.img"},
      {"lot.img/board_oem_1231.img", "lot.img/board_oem_0301.img"},
      // The file-name part's base is held in 255 characters and the new name cut
      // to 255; the folders before it stay whatever their length.
      {std::string(255, 'b') + ".img", std::string(255, 'b')},
      {std::string(256, 'b') + ".img", "refused"},
      {"d/" + std::string(250, 'b') + ".img", "d/" + std::string(250, 'b') + "_oem_"},
      {std::string(245, 'b') + ".img", std::string(245, 'b') + "_oem_0301"},  // no dot at the end
  };
  for (const auto& [path, want] : rows)
    EXPECT_EQ(oem_name::build(path, "_0301").value_or("refused"), want) << path;
  EXPECT_EQ(oem_name::date_tag(3, 1) + oem_name::date_tag(12, 31), "_0301_1231");
}

}  // namespace
