#include "inspect/inspect.h"

#include "base/console.h"
#include "image/board_id.h"
#include "image/oem_area.h"

namespace {

constexpr std::uint32_t k_listed_oem_words = 10;  // 0xFF000 to 0xFF024
constexpr std::uint32_t k_word = 4;

void show_word(img_stream& stream, std::uint32_t offset) {
  std::uint32_t w = 0;
  if (!rd_img(stream, offset, &w)) return;
  con_printf("0x%x : 0x%x\n", offset, w);
}

}  // namespace

void show_cfg_simple(img_stream& stream) {
  con_printf("\nConfiguration List:\n");
  for (std::uint32_t i = 0; i < k_listed_oem_words; ++i)
    show_word(stream, oem::k_header + i * k_word);
  show_word(stream, oem::k_lldp_tx);
  show_word(stream, board::k_port_mask);
}

void recover_img_oem_area(img_stream& stream) {
  for (std::uint32_t off = oem::k_header; off <= oem::k_area_last; off += k_word) {
    if (!wt_img(stream, off, oem::k_erased)) return;
  }
  if (!wt_img(stream, oem::k_lldp_tx, oem::k_erased)) return;
  con_printf("erase region : [0x%x, 0x%x], lldp region : 0x%x\n", oem::k_header, oem::k_area_last,
             oem::k_lldp_tx);
  con_printf("IMG OEM region was successfully recovered to the default value.\n");
}
