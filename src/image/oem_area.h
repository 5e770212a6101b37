// Layout of the OEM area near the end of the image and the OEM header word
// whose enable bits record which features have been configured.
#pragma once

#include <cstdint>

#include "image/img_io.h"

namespace oem {

constexpr std::uint32_t k_image_size = 0x100000;  // 1 MiB flash image
constexpr std::uint32_t k_erased = 0xFFFFFFFF;    // unprogrammed word

// OEM header word: signature in bits 0-15, enable bits above.
constexpr std::uint32_t k_header = 0xFF000;
constexpr std::uint32_t k_signature = 0x55AA;
constexpr std::uint32_t k_signature_mask = 0xFFFF;

// True when `header` holds the signature; without it no enable bit counts.
constexpr bool has_signature(std::uint32_t header) {
  return (header & k_signature_mask) == k_signature;
}

// Configuration words. Some offsets mean different words in the two chip
// families; both names are given.
constexpr std::uint32_t k_gpio = 0xFF004;           // QM
constexpr std::uint32_t k_phy_led0 = 0xFF008;       // QM and ZT
constexpr std::uint32_t k_phy_led1 = 0xFF00C;       // QM, YT PHY only
constexpr std::uint32_t k_mv1512_mode = 0xFF010;    // QM
constexpr std::uint32_t k_zt_smbus_arp = 0xFF010;   // ZT
constexpr std::uint32_t k_qm_smbus_arp = 0xFF014;   // QM
constexpr std::uint32_t k_x3310_led0 = 0xFF014;     // ZT
constexpr std::uint32_t k_wol_pulse = 0xFF018;      // QM
constexpr std::uint32_t k_x3310_led1 = 0xFF018;     // ZT
constexpr std::uint32_t k_drv_port_mode = 0xFF020;  // QM
constexpr std::uint32_t k_area_last = 0xFF028;      // last word erased by recovery
constexpr std::uint32_t k_lldp_tx = 0xF1000;        // both families

// Enable bits in the OEM header word.
constexpr std::uint32_t k_en_gpio = 0x10000;
constexpr std::uint32_t k_en_phy_led = 0x20000;
constexpr std::uint32_t k_en_mv1512_mode = 0x100000;   // QM
constexpr std::uint32_t k_en_zt_smbus_arp = 0x100000;  // ZT
constexpr std::uint32_t k_en_qm_smbus_arp = 0x200000;  // QM
constexpr std::uint32_t k_en_x3310_led = 0x200000;     // ZT
constexpr std::uint32_t k_en_wol = 0x400000;
constexpr std::uint32_t k_en_lldp = 0x800000;

// The header word after recording `enable_bit` in `header`: a header without
// the signature counts as empty.
std::uint32_t header_with_enable(std::uint32_t header, std::uint32_t enable_bit);

}  // namespace oem

// Records in the OEM header word that the feature with `enable_bit` has been
// configured. `offset` names the configured word and takes no part.
void oem_config_switch(img_stream& stream, std::uint32_t offset, std::uint32_t enable_bit);
