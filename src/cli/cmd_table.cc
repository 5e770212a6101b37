#include "cli/cmd_table.h"

#include <iterator>

#include "commands/mgmt.h"
#include "commands/phy_led.h"
#include "commands/port_mode.h"
#include "commands/port_reduce.h"
#include "inspect/inspect.h"

const oem_cmd_fn oem_cmd_table[] = {
    inner_led_cfg,          // 0  -I
    yt8521s_oem_cfg,        // 1  -Y
    mv1512_oem_cfg,         // 2  -M
    ext_phy_oem_cfg,        // 3  -E
    mv_phy_mode_cfg,        // 4  -P
    mv_88x3310phy_led_cfg,  // 5  -X
    gpio_oem_cfg,           // 6  -G
    smbus_arp_cfg,          // 7  -S
    lldp_tx_cfg,            // 8  -L
    wol_wake_io_cfg,        // 9  -W
    network_port_disable,   // 10 -N
    set_port_mode_for_drv,  // 11 -D
    show_cfg_simple,        // 12 -C
    recover_img_oem_area,   // 13 -0
};
static_assert(std::size(oem_cmd_table) == k_option_letters.size(), "one handler per option letter");

bool only_reads(int slot) { return oem_cmd_table[slot] == show_cfg_simple; }
