#include "image_builder.h"

#include <fstream>
#include <iterator>

namespace testimg {

namespace {
constexpr std::uint32_t k_active_block = 0x000;
constexpr std::uint32_t k_variant_base = 0xFD000;
constexpr std::uint32_t k_block_size = 0x400;
constexpr std::uint32_t k_port_mask_off = 0x16C;
constexpr std::uint32_t k_port_mask_index = k_port_mask_off / 4;
constexpr std::uint32_t k_sub_sys_id_off = 0xFFFDC;
constexpr std::uint32_t k_oem_header_off = 0xFF000;
}  // namespace

std::uint32_t sub_sys_id(std::uint16_t device, std::uint8_t phy, unsigned ports, bool wol) {
  const std::uint32_t dev_hi = device >> 8;
  const std::uint32_t dev_lo = device & 0xFFU;
  return (dev_lo << 24) | (dev_hi << 16) | (static_cast<std::uint32_t>(phy) << 8) |
         (wol ? 0x40U : 0U) | (ports & 7U);
}

std::uint32_t port_mask_for(unsigned ports) { return (1U << ports) - 1U; }

std::uint32_t variant_word(unsigned ports, std::uint32_t index) {
  return 0xA0000000U | (ports << 24) | (index * 0x10101U);
}

std::uint32_t word_at(const std::vector<std::uint8_t>& img, std::uint32_t off) {
  return static_cast<std::uint32_t>(img.at(off)) |
         static_cast<std::uint32_t>(img.at(off + 1)) << 8 |
         static_cast<std::uint32_t>(img.at(off + 2)) << 16 |
         static_cast<std::uint32_t>(img.at(off + 3)) << 24;
}

void put_word(std::vector<std::uint8_t>* img, std::uint32_t off, std::uint32_t value) {
  for (unsigned i = 0; i < 4; ++i) img->at(off + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> build(const recipe& r) {
  std::vector<std::uint8_t> img(k_size, 0xFF);
  put_word(&img, k_active_block, k_magic);
  put_word(&img, k_active_block + k_port_mask_off, r.port_mask);
  if (r.variant_blocks) {
    for (unsigned ports = 4; ports >= 1; --ports) {
      const std::uint32_t block = k_variant_base + (4 - ports) * k_block_size;
      put_word(&img, block, k_magic);
      for (std::uint32_t i = 1; i < k_block_size / 4; ++i) {
        put_word(&img, block + 4 * i,
                 i == k_port_mask_index ? port_mask_for(ports) : variant_word(ports, i));
      }
    }
  }
  put_word(&img, k_sub_sys_id_off, r.sub_sys_id);
  put_word(&img, k_oem_header_off, r.oem_header);
  for (const auto& [off, value] : r.words) put_word(&img, off, value);
  return img;
}

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace testimg
