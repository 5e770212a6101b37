// Board identification: chip family, PHY fitted, port counts and WOL support,
// worked out from identity words inside the image.
#pragma once

#include <cstdint>

#include "image/img_io.h"

namespace board {
// Chip family of an image.
enum class family : std::uint8_t { qm, zt };
}  // namespace board

struct sys_ctrl_t {
  board::family chip_family;
  std::uint8_t max_port_num;  // board's port count (sub-system ID bits 0-2)
  std::uint8_t cur_port_num;  // ports in use
  char phy_type;              // PHY type letter
  std::uint8_t wol_support;   // 1 when the WOL wake pulse is supported
};

extern sys_ctrl_t g_cfg;

namespace board {

constexpr std::uint32_t k_sub_sys_id = 0xFFFDC;  // sub-system ID word
constexpr std::uint32_t k_port_mask = 0x16C;     // port mask word, in the active header block

constexpr std::uint32_t k_ssid_port_count_mask = 0x7;
constexpr std::uint32_t k_ssid_wol_bit = 0x40;
constexpr unsigned k_ssid_phy_shift = 8;
constexpr std::uint32_t k_port_mask_bits = 0xF;

constexpr std::uint16_t k_zt_device_a = 0x1001;
constexpr std::uint16_t k_zt_device_b = 0x2001;

// Device identifier from the sub-system ID word: its high byte is stored first.
std::uint16_t device_id(std::uint32_t sub_sys_id);
// PHY identifier byte of the sub-system ID word.
std::uint8_t phy_id_byte(std::uint32_t sub_sys_id);
// PHY type letter of a QM image from its PHY identifier byte.
char qm_phy_letter(std::uint8_t phy_id);
// PHY type letter of a ZT image; *unknown is set for identifiers not in the table.
char zt_phy_letter(std::uint8_t phy_id, bool* unknown);

}  // namespace board

// Identification works on the identity words as the run read them, each once:
// the sub-system ID word and the port mask (low 4 bits of its word).
void check_chip_type(std::uint32_t sub_sys_id, board::family* family_out, char* phy_type_out);
char qm_load_oem_phy(std::uint32_t sub_sys_id);
char zt_load_oem_phy(std::uint32_t sub_sys_id);
void fw_load_config(sys_ctrl_t* record, std::uint32_t sub_sys_id, std::uint32_t port_mask);
std::uint32_t fw_get_sub_sys_id(img_stream& stream);
std::uint32_t fw_get_port_mask(img_stream& stream);
std::uint8_t fw_get_valid_port(std::uint32_t mask);
