// Management feature commands: GPIO, SMBus ARP, LLDP transmit, WOL pulse.
#pragma once

#include "image/img_io.h"

void gpio_oem_cfg(img_stream& stream);     // -G
void smbus_arp_cfg(img_stream& stream);    // -S
void lldp_tx_cfg(img_stream& stream);      // -L
void wol_wake_io_cfg(img_stream& stream);  // -W
