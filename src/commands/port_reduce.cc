#include "commands/port_reduce.h"

#include <array>
#include <numeric>

#include "base/console.h"
#include "commands/cmd_common.h"
#include "commands/value_prompt.h"

namespace ports {

std::uint32_t variant_block(int remaining) {
  return k_variant_blocks +
         static_cast<std::uint32_t>(k_max_variant_ports - remaining) * k_block_size;
}

}  // namespace ports

namespace {

std::uint32_t sum_of(const std::array<std::uint32_t, ports::k_block_words>& block) {
  return std::accumulate(block.begin(), block.end(), std::uint32_t{0});
}

}  // namespace

void network_port_disable(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt)) return;
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
  // The block is copied with one positional read and one write, and read
  // back with one read.
  std::array<std::uint32_t, ports::k_block_words> block{};
  if (!rd_words(stream, ports::variant_block(remaining), block.data(), block.size())) return;
  if (block[0] != ports::k_header_magic) {
    con_printf("error, img not support, hdr 0x%x!", block[0]);
    return;
  }
  if (!wt_words(stream, ports::k_active_block, block.data(), block.size())) return;
  const std::uint32_t source_sum = sum_of(block);
  if (!rd_words(stream, ports::k_active_block, block.data(), block.size())) return;
  const std::uint32_t readback_sum = sum_of(block);
  if (readback_sum != source_sum) {
    con_printf("\nConfiguration checksum error, please try again, %d, %d\n",
               static_cast<std::int32_t>(readback_sum), static_cast<std::int32_t>(source_sum));
    // The header block is not what was written: the image is not saved as
    // configured, and keeps its name for the next try.
    stream.mark_failed();
    return;
  }
  g_cfg.cur_port_num = static_cast<std::uint8_t>(remaining);
  con_printf("\nConfiguration completed successfully, current port num:0x%x\n",
             static_cast<unsigned>(remaining));
}
