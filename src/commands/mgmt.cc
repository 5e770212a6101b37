#include "commands/mgmt.h"

#include "base/console.h"
#include "commands/cmd_common.h"
#include "commands/value_prompt.h"
#include "image/oem_area.h"

namespace {

constexpr std::int32_t k_slave_addr_default = 0x49;
constexpr std::int32_t k_slave_addr_min = 0x08;
constexpr std::int32_t k_slave_addr_max = 0x77;
constexpr std::uint32_t k_arp_enabled = 0xF;
constexpr std::uint32_t k_arp_disabled = 0xE;
constexpr std::uint32_t k_arp_code = 0xF;       // bits 0-3 of the SMBus word
constexpr std::uint32_t k_arp_unused = 0xFFF0;  // bits 4-15, written as 0
constexpr std::int32_t k_lldp_max = 0xF;
constexpr std::int32_t k_wol_max_ms = 0xFFFF;

bool report_invalid(std::int32_t value) {
  con_printf("ERROR, Input Value %d invalid\n", value);
  return false;
}

// Asks for the SMBus slave address until one in range is entered; nothing
// when the input ended.
std::optional<std::int32_t> ask_slave_addr() {
  for (;;) {
    const auto got = prompt::read_entry("Please input smbus slave addr, valid range(0x7, 0x78):",
                                        prompt::radix::hex);
    if (!got) return std::nullopt;
    if (got->status == prompt::read_status::number && got->value >= k_slave_addr_min &&
        got->value <= k_slave_addr_max) {
      return got->value;
    }
    con_printf("err, address out of range[0x8, 0x77], try again\n");
  }
}

// The slave address in effect: that of the SMBus word at `offset` when the
// header turns the word on and the word is one that -S writes, else the
// default. Nothing when the image cannot be read.
std::optional<std::int32_t> current_slave_addr(img_stream& stream, std::uint32_t offset,
                                               std::uint32_t enable_bit) {
  std::uint32_t header = 0;
  std::uint32_t word = 0;
  if (!rd_img(stream, oem::k_header, &header) || !rd_img(stream, offset, &word)) {
    return std::nullopt;
  }
  const bool on = oem::has_signature(header) && (header & enable_bit) != 0;
  const std::uint32_t code = word & k_arp_code;
  const auto addr = static_cast<std::int32_t>(cmd::high16(word));
  const bool ours = (code == k_arp_enabled || code == k_arp_disabled) &&
                    (word & k_arp_unused) == 0 && addr >= k_slave_addr_min &&
                    addr <= k_slave_addr_max;
  return on && ours ? addr : k_slave_addr_default;
}

// The disable branch of -S: the slave address, kept at `current` unless the
// operator asks to change it.
std::optional<std::int32_t> ask_disable_addr(std::int32_t current) {
  con_printf("current smbus slave addr is 0x%x, do you need to modify it ? 'Y' or 'N':",
             static_cast<unsigned>(current));
  const int answer = prompt::read_answer_char(g_con.in);
  if (answer == EOF) {
    prompt::report_end_of_input();
    return std::nullopt;
  }
  if (answer == 'y' || answer == 'Y') return ask_slave_addr();
  return current;
}

}  // namespace

void gpio_oem_cfg(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt)) return;
  const auto entry = prompt::ask_value("Please input config val of GPIO :", prompt::radix::hex);
  if (!entry) return;
  const std::uint32_t gpio = static_cast<std::uint32_t>(*entry) & cmd::k_low16;
  if (!wt_img(stream, oem::k_gpio, gpio)) return;
  con_printf("%s", cmd::k_completed_plain);
  con_printf("    GPIO : 0x%x\n", gpio);
  oem_config_switch(stream, oem::k_gpio, oem::k_en_gpio);
}

void smbus_arp_cfg(img_stream& stream) {
  const bool qm = g_cfg.chip_family == board::family::qm;
  const std::uint32_t offset = qm ? oem::k_qm_smbus_arp : oem::k_zt_smbus_arp;
  const std::uint32_t enable_bit = qm ? oem::k_en_qm_smbus_arp : oem::k_en_zt_smbus_arp;
  const auto choice = prompt::ask_value(
      "Please input config val of SMBUS ARP, 1 : enable arp  0 : disable arp :", prompt::radix::hex,
      [](std::int32_t v) { return v == 0 || v == 1 || report_invalid(v); });
  if (!choice) return;
  std::int32_t addr = k_slave_addr_default;
  std::uint32_t code = k_arp_enabled;
  if (*choice == 1) {
    con_printf("\nConfiguration completed successfully, Enable SMBUS ARP\n");
  } else {
    code = k_arp_disabled;
    const auto current = current_slave_addr(stream, offset, enable_bit);
    if (!current) return;
    const auto asked = ask_disable_addr(*current);
    if (!asked) return;
    addr = *asked;
    con_printf("\nConfiguration completed successfully, Disable SMBUS ARP, slave address : 0x%x\n",
               static_cast<unsigned>(addr));
  }
  if (!wt_img(stream, offset, code | static_cast<std::uint32_t>(addr) << cmd::k_high_shift)) return;
  oem_config_switch(stream, offset, enable_bit);
}

void lldp_tx_cfg(img_stream& stream) {
  const auto entry =
      prompt::ask_value("Please input config val of LLDP TX :", prompt::radix::hex,
                        [](std::int32_t v) { return v <= k_lldp_max || report_invalid(v); });
  if (!entry) return;
  const auto value = static_cast<std::uint32_t>(*entry);
  if (!wt_img(stream, oem::k_lldp_tx, value)) return;
  con_printf("\nConfiguration completed successfully, LLDP TX config : 0x%x\n", value);
  // Normalise the header before recording LLDP, as every header update does:
  // one without the signature (an erased one, say) starts again from the
  // bare signature, so that no stray bit turns a feature on.
  std::uint32_t header = 0;
  if (!rd_img(stream, oem::k_header, &header)) return;
  if (!wt_img(stream, oem::k_header, oem::header_with_enable(header, 0))) return;
  oem_config_switch(stream, oem::k_lldp_tx, oem::k_en_lldp);
}

void wol_wake_io_cfg(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt)) return;
  if (g_cfg.wol_support == 0) {
    con_printf("ERROR, the img not support WOL\n");
    return;
  }
  const auto entry = prompt::ask_value(
      "Please input config val of WOL Wake IO(ms):", prompt::radix::dec,
      [](std::int32_t v) { return (v != 0 && v <= k_wol_max_ms) || report_invalid(v); });
  if (!entry) return;
  if (!wt_img(stream, oem::k_wol_pulse, static_cast<std::uint32_t>(*entry))) return;
  con_printf("\nConfiguration completed successfully, WOL Wake Io pull down time : %d ms\n",
             *entry);
  oem_config_switch(stream, oem::k_wol_pulse, oem::k_en_wol);
}
