#include "image/board_id.h"

#include <algorithm>

#include "base/console.h"
#include "image/oem_area.h"

sys_ctrl_t g_cfg = {};

namespace board {

std::uint16_t device_id(std::uint32_t sub_sys_id) {
  return static_cast<std::uint16_t>(((sub_sys_id >> 8) & 0xFF00U) | (sub_sys_id >> 24));
}

std::uint8_t phy_id_byte(std::uint32_t sub_sys_id) {
  return static_cast<std::uint8_t>(sub_sys_id >> k_ssid_phy_shift);
}

char qm_phy_letter(std::uint8_t phy_id) {
  switch (phy_id) {
    case 0x03:
    case 0x50:
      return 'F';
    case 0x51:
      return 'C';
    case 0x52:
      return 'M';
    case 0x60:
    case 0x61:
    case 0x62:
    case 0x64:
    case 0x70:
      return 'Y';
    case 0x80:
      return 'O';
    case 0x90:
      return 'E';
    case 0xA0:
      return 'A';
    default:
      return 'I';
  }
}

char zt_phy_letter(std::uint8_t phy_id, bool* unknown) {
  *unknown = false;
  switch (phy_id & 0xF0) {
    case 0x00:
    case 0x30:
    case 0x40:
    case 0x60:
      return 'I';
    case 0x10:
    case 0x20:
    case 0x50:
      return 'E';
    default:
      *unknown = true;
      return 'E';
  }
}

}  // namespace board

std::uint32_t fw_get_sub_sys_id(img_stream& stream) {
  std::uint32_t w = 0;
  rd_img(stream, board::k_sub_sys_id, &w);
  return w;
}

std::uint32_t fw_get_port_mask(img_stream& stream) {
  std::uint32_t w = 0;
  rd_img(stream, board::k_port_mask, &w);
  return w & board::k_port_mask_bits;
}

std::uint8_t fw_get_valid_port(std::uint32_t mask) {
  switch (mask) {
    case 0x1:
      return 1;
    case 0x3:
      return 2;
    case 0x7:
      return 3;
    case 0xF:
      return 4;
    default:
      return 0;
  }
}

char qm_load_oem_phy(std::uint32_t sub_sys_id) {
  return board::qm_phy_letter(board::phy_id_byte(sub_sys_id));
}

char zt_load_oem_phy(std::uint32_t sub_sys_id) {
  bool unknown = false;
  const char letter = board::zt_phy_letter(board::phy_id_byte(sub_sys_id), &unknown);
  if (unknown) con_printf("phy id unknown\n");
  return letter;
}

void check_chip_type(std::uint32_t sub_sys_id, board::family* family_out, char* phy_type_out) {
  const std::uint16_t dev = board::device_id(sub_sys_id);
  if (dev == board::k_zt_device_a || dev == board::k_zt_device_b) {
    *family_out = board::family::zt;
    *phy_type_out = zt_load_oem_phy(sub_sys_id);
  } else {
    *family_out = board::family::qm;
    *phy_type_out = qm_load_oem_phy(sub_sys_id);
  }
}

void fw_load_config(sys_ctrl_t* record, std::uint32_t sub_sys_id, std::uint32_t port_mask) {
  if (sub_sys_id == oem::k_erased) {
    con_printf("sub sys id unsupport !");
    record->max_port_num = 4;
    record->cur_port_num = 4;
    record->phy_type = 'I';
    return;
  }
  record->wol_support = static_cast<std::uint8_t>((sub_sys_id & board::k_ssid_wol_bit) != 0);
  record->max_port_num = static_cast<std::uint8_t>(sub_sys_id & board::k_ssid_port_count_mask);
  if (record->max_port_num == 0 || record->max_port_num > 4) {
    con_printf("sid port num %d unsupport\n", record->max_port_num);
  }
  // The ports in use, never more than the board has; a mask not recognised
  // counts as all of them.
  const std::uint8_t in_use = fw_get_valid_port(port_mask);
  record->cur_port_num =
      in_use == 0 ? record->max_port_num : std::min(in_use, record->max_port_num);
}
