// When the PHY LED commands write, seen on an in-memory image: the order of
// their words, and what a failed LED word write leaves on the console.
#include "commands/phy_led.h"

#include <gtest/gtest.h>

#include <optional>

#include "console_capture.h"
#include "image/board_id.h"
#include "image/oem_area.h"
#include "image_builder.h"
#include "mem_stream.h"

namespace {

using handler = void (*)(img_stream&);
using offsets = std::vector<std::uint32_t>;

struct led_run {
  std::string out;
  offsets writes;
};

led_run run_handler(handler h, std::uint8_t family, char phy, const std::string& input,
                    std::optional<std::uint32_t> fail_write_at = std::nullopt) {
  mem_stream img(testimg::build(testimg::recipe{}));
  img.fail_write_at = fail_write_at;
  g_cfg = sys_ctrl_t{};
  g_cfg.chip_family = family;
  g_cfg.phy_type = phy;
  g_file_modified = 0;
  console_capture con(input);
  h(img);
  return {con.out(), img.writes()};
}

constexpr std::uint8_t k_qm = board::k_family_qm;
constexpr std::uint8_t k_zt = board::k_family_zt;

TEST(PhyLedWrites, LedWordsInOrderThenTheHeader) {
  EXPECT_EQ(run_handler(inner_led_cfg, k_zt, 'I', "1\n").writes,
            (offsets{oem::k_phy_led0, oem::k_header}));
  EXPECT_EQ(run_handler(yt8521s_oem_cfg, k_qm, 'Y', "1\n2\n3\n4\n").writes,
            (offsets{oem::k_phy_led0, oem::k_phy_led1, oem::k_header}));
  EXPECT_EQ(run_handler(mv1512_oem_cfg, k_qm, 'C', "1\n").writes,
            (offsets{oem::k_phy_led0, oem::k_header}));
  EXPECT_EQ(run_handler(ext_phy_oem_cfg, k_qm, 'E', "1\n5\n").writes,
            (offsets{oem::k_phy_led0, oem::k_header}));
  EXPECT_EQ(run_handler(mv_88x3310phy_led_cfg, k_zt, 'E', "1\n2\n3\n4\n").writes,
            (offsets{oem::k_x3310_led0, oem::k_x3310_led1, oem::k_header}));
}

TEST(PhyLedWrites, OnlyExtConfirmsBeforeItsWordIsWritten) {
  const led_run ext = run_handler(ext_phy_oem_cfg, k_qm, 'E', "2\n5\n", oem::k_phy_led0);
  EXPECT_EQ(ext.out,
            "input 1 to config RTL8211F PHY LED.\ninput 2 to config JL2201 PHY LED.\n"
            "Please input your number:Please input config val of JL2201 PHY LED:"
            "\nConfiguration completed successfully :\n LED configuration : 0x5\n");
  EXPECT_TRUE(ext.writes.empty());

  const led_run inner = run_handler(inner_led_cfg, k_qm, 'I', "5\n", oem::k_phy_led0);
  EXPECT_EQ(inner.out, "Please input config val of Inner Phy LED :");
  EXPECT_TRUE(inner.writes.empty());

  const led_run x3310 =
      run_handler(mv_88x3310phy_led_cfg, k_zt, 'E', "1\n2\n3\n4\n", oem::k_x3310_led1);
  EXPECT_EQ(x3310.out.find("completed"), std::string::npos) << x3310.out;
  EXPECT_EQ(x3310.writes, offsets{oem::k_x3310_led0});
}

}  // namespace
