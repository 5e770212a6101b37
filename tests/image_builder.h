// Builds 1 MiB test images: erased flash with the identity words, OEM area
// and header blocks that a test asks for.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testimg {

constexpr std::uint32_t k_size = 0x100000;
constexpr std::uint32_t k_erased = 0xFFFFFFFF;
constexpr std::uint32_t k_magic = 0x5AA51000;

// The sub-system ID word: device identifier stored high byte first, PHY
// identifier byte, port count in bits 0-2 and the WOL bit.
std::uint32_t sub_sys_id(std::uint16_t device, std::uint8_t phy, unsigned ports, bool wol);

// Port mask word for n ports (0x1, 0x3, 0x7, 0xF).
std::uint32_t port_mask_for(unsigned ports);

struct recipe {
  std::uint32_t sub_sys_id = k_erased;
  std::uint32_t port_mask = 0xF;  // port mask word of the active block
  std::uint32_t oem_header = k_erased;
  bool variant_blocks = true;                    // the four port-variant blocks, with magic
  std::map<std::uint32_t, std::uint32_t> words;  // further words, written last
};

// The image as bytes.
std::vector<std::uint8_t> build(const recipe& r);

// Word of a variant block for `ports` remaining ports at word index i (i > 0,
// i != port mask): a value that tells the blocks apart.
std::uint32_t variant_word(unsigned ports, std::uint32_t index);

std::uint32_t word_at(const std::vector<std::uint8_t>& img, std::uint32_t off);
void put_word(std::vector<std::uint8_t>* img, std::uint32_t off, std::uint32_t value);

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> read_file(const std::string& path);

}  // namespace testimg
