#include "commands/port_reduce.h"

#include "cli/console.h"
#include "commands/cmd_common.h"
#include "commands/value_prompt.h"

namespace ports {

std::uint32_t variant_block(int remaining) {
  return k_variant_blocks +
         static_cast<std::uint32_t>(k_max_variant_ports - remaining) * k_block_size;
}

}  // namespace ports

namespace {

constexpr std::uint32_t k_word = 4;

// Copies the block at `from` word by word into the active header block and
// returns the sum of the words copied; nothing when the block lacks the
// header magic (then nothing was written) or an access failed.
std::optional<std::uint32_t> copy_block(img_stream& stream, std::uint32_t from) {
  std::uint32_t sum = 0;
  std::uint32_t w = 0;
  for (std::uint32_t i = 0; i < ports::k_block_words; ++i) {
    if (!rd_img(stream, from + k_word * i, &w)) return std::nullopt;
    if (i == 0 && w != ports::k_header_magic) {
      con_printf("error, img not support, hdr 0x%x!", w);
      return std::nullopt;
    }
    if (!wt_img(stream, ports::k_active_block + k_word * i, w)) return std::nullopt;
    sum += w;
  }
  return sum;
}

// Sum of the words of the active header block as the file now holds them.
std::optional<std::uint32_t> active_block_sum(img_stream& stream) {
  std::uint32_t sum = 0;
  std::uint32_t w = 0;
  for (std::uint32_t i = 0; i < ports::k_block_words; ++i) {
    if (!rd_img(stream, ports::k_active_block + k_word * i, &w)) return std::nullopt;
    sum += w;
  }
  return sum;
}

}  // namespace

void network_port_disable(img_stream& stream) {
  if (cmd::refuse_family(board::k_family_zt)) return;
  const int max_ports = g_cfg.max_port_num;
  con_printf("current port num : %d, max port num : %d\n", g_cfg.cur_port_num, max_ports);
  if (max_ports < 1 || max_ports > ports::k_max_variant_ports) {
    con_printf("ERROR, port num %d unsupport, the img carries header blocks for 1 to %d ports\n",
               max_ports, ports::k_max_variant_ports);
    return;
  }
  const auto disabled = prompt::ask_value(
      "Please input the number of disabled network ports:", prompt::radix::hex,
      [max_ports](std::int32_t v) {
        if (v < max_ports) return true;
        con_printf("ERROR, Input Value %d invalid, range [0,%d]\n", v, max_ports - 1);
        return false;
      });
  if (!disabled) return;
  const int remaining = max_ports - *disabled;
  const auto source_sum = copy_block(stream, ports::variant_block(remaining));
  if (!source_sum) return;
  const auto readback_sum = active_block_sum(stream);
  if (!readback_sum) return;
  if (*readback_sum != *source_sum) {
    con_printf("\nConfiguration checksum error, please try again, %d, %d\n",
               static_cast<std::int32_t>(*readback_sum), static_cast<std::int32_t>(*source_sum));
    return;
  }
  g_cfg.cur_port_num = static_cast<std::uint8_t>(remaining);
  con_printf("\nConfiguration completed successfully, current port num:0x%x\n",
             static_cast<unsigned>(remaining));
}
