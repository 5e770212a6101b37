#include "cli/cmd_table.h"

#include <algorithm>
#include <iterator>

#include "commands/mgmt.h"
#include "commands/phy_led.h"
#include "commands/port_mode.h"
#include "commands/port_reduce.h"
#include "inspect/inspect.h"

namespace {
constexpr plat::open_mode k_read = plat::open_mode::read;
constexpr plat::open_mode k_update = plat::open_mode::update;
}  // namespace

const oem_cmd oem_cmd_table[] = {
    {'I', inner_led_cfg, k_update},          // 0
    {'Y', yt8521s_oem_cfg, k_update},        // 1
    {'M', mv1512_oem_cfg, k_update},         // 2
    {'E', ext_phy_oem_cfg, k_update},        // 3
    {'P', mv_phy_mode_cfg, k_update},        // 4
    {'X', mv_88x3310phy_led_cfg, k_update},  // 5
    {'G', gpio_oem_cfg, k_update},           // 6
    {'S', smbus_arp_cfg, k_update},          // 7
    {'L', lldp_tx_cfg, k_update},            // 8
    {'W', wol_wake_io_cfg, k_update},        // 9
    {'N', network_port_disable, k_update},   // 10
    {'D', set_port_mode_for_drv, k_update},  // 11
    {'C', show_cfg_simple, k_read},          // 12
    {'0', recover_img_oem_area, k_update},   // 13
};

std::optional<int> find_slot(char letter) {
  const oem_cmd* const end = std::end(oem_cmd_table);
  const oem_cmd* const row = std::find_if(
      std::begin(oem_cmd_table), end, [letter](const oem_cmd& c) { return c.letter == letter; });
  if (row == end) return std::nullopt;
  return static_cast<int>(row - std::begin(oem_cmd_table));
}
