#include "commands/port_mode.h"

#include <string>

#include "base/console.h"
#include "commands/cmd_common.h"
#include "commands/value_prompt.h"
#include "image/oem_area.h"

namespace {

constexpr std::uint32_t k_mode_field = 0x7;  // 3-bit PHY mode per port
constexpr std::int32_t k_mode_bits = 0x1E;   // bits 1-4: one selects the port mode
constexpr std::int32_t k_kept_bits = 0xDE;   // bits kept from the entry
constexpr std::int32_t k_port_on = 0x80;     // set in every configured port byte
constexpr int k_drv_max_ports = 4;           // port bytes in the driver port-mode word

std::uint32_t mode_of_port(std::uint32_t word, unsigned port) {
  return (word >> (8 * port)) & k_mode_field;
}

}  // namespace

std::int32_t bitcount(std::int32_t value) {
  std::int32_t n = 0;
  auto v = static_cast<std::uint32_t>(value);
  while (v != 0) {
    v &= v - 1;
    ++n;
  }
  return n;
}

std::optional<std::uint8_t> drv_port_byte(std::int32_t entry) {
  if (bitcount(entry & k_mode_bits) != 1) return std::nullopt;
  return static_cast<std::uint8_t>((entry & k_kept_bits) | k_port_on);
}

void mv_phy_mode_cfg(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt)) return;
  if (g_cfg.phy_type != 'M') {
    con_printf("Current phy type %c, not MV Phy(0x52)\n", g_cfg.phy_type);
    return;
  }
  const auto entry =
      prompt::ask_value("Please input config val of MV1512 phy mode :", prompt::radix::hex);
  if (!entry) return;
  const auto word = static_cast<std::uint32_t>(*entry);
  if (!wt_img(stream, oem::k_mv1512_mode, word)) return;
  con_printf("%s", cmd::k_completed_plain);
  con_printf("PHY MODE : port0 : 0x%x port1 : 0x%x\n           port2 : 0x%x port3 : 0x%x\n",
             mode_of_port(word, 0), mode_of_port(word, 1), mode_of_port(word, 2),
             mode_of_port(word, 3));
  oem_config_switch(stream, oem::k_mv1512_mode, oem::k_en_mv1512_mode);
}

namespace {

// Asks port by port; a refused entry starts over at port 0. Returns the
// whole word, or nothing when the input ended.
std::optional<std::uint32_t> ask_port_modes(int ports) {
  std::int32_t entry = -1;
  std::uint32_t word = 0;
  int port = 0;
  while (port < ports) {
    const std::string text = "Please input config val of port " + std::to_string(port) + ":";
    const auto got = prompt::read_entry(text.c_str(), prompt::radix::hex);
    if (!got) return std::nullopt;
    std::optional<std::uint8_t> byte;
    if (prompt::take_entry(*got, &entry)) {
      byte = drv_port_byte(entry);
      if (!byte) {
        con_printf("warning, from bit1 to bit4, only one BIT can be selected for each port\n");
      }
    }
    if (!byte) {
      port = 0;
      word = 0;
      continue;
    }
    word |= static_cast<std::uint32_t>(*byte) << (8 * port);
    entry = -1;
    ++port;
  }
  return word;
}

}  // namespace

void set_port_mode_for_drv(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt, "ERROR, ZT img not support this option")) return;
  if (g_cfg.phy_type != 'A') {
    con_printf("Current phy type %c != %c, not support\n", g_cfg.phy_type, 'A');
    return;
  }
  const int ports = g_cfg.cur_port_num;
  if (ports > k_drv_max_ports) {
    con_printf("ERROR, port num %d unsupport, at most %d ports\n", ports, k_drv_max_ports);
    return;
  }
  const auto word = ask_port_modes(ports);
  if (!word) return;
  if (!wt_img(stream, oem::k_drv_port_mode, *word)) return;
  con_printf("%s", cmd::k_completed_colon);
  for (int i = 0; i < ports; ++i) {
    con_printf("  port%d : 0x%x  ", i, (*word >> (8 * i)) & 0xFFU);
  }
  con_printf("\n");
}
