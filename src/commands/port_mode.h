// Per-port mode commands: the 88E1512 PHY mode and the driver port mode.
#pragma once

#include <cstdint>
#include <optional>

#include "image/img_io.h"

void mv_phy_mode_cfg(img_stream& stream);        // -P
void set_port_mode_for_drv(img_stream& stream);  // -D

// Number of 1 bits of `value`.
std::int32_t bitcount(std::int32_t value);

// The driver port-mode byte for a port's entry, or nothing when the entry
// does not select exactly one mode bit.
std::optional<std::uint8_t> drv_port_byte(std::int32_t entry);
