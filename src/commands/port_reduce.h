// Network port reduction: replaces the active header block with the
// port-variant block for fewer ports.
#pragma once

#include <cstdint>

#include "image/img_io.h"

namespace ports {

constexpr std::uint32_t k_active_block = 0x000;
constexpr std::uint32_t k_variant_blocks = 0xFD000;  // block for 4 ports; 3, 2, 1 follow
constexpr std::uint32_t k_block_size = 0x400;
constexpr std::uint32_t k_block_words = k_block_size / 4;
constexpr std::uint32_t k_header_magic = 0x5AA51000;
constexpr int k_max_variant_ports = 4;

// Offset of the port-variant header block for `remaining` ports (1 to 4).
std::uint32_t variant_block(int remaining);

}  // namespace ports

void network_port_disable(img_stream& stream);  // -N
