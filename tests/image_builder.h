// Builds 1 MiB test images from a recipe of words, so that a test names only
// what matters to it: "qm phy=60 ports=3 wol hdr=155aa ff004=1234".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testimg {

// Tokens, separated by blanks, all numbers hexadecimal except ports:
//   qm | zt | zt2      device 0x0110 (the default), 0x1001 or 0x2001
//   phy=HH ports=N wol the rest of the sub-system ID word (default 00, 4, no WOL)
//   ssid=W             the whole sub-system ID word instead
//   mask=W hdr=W       port mask word of the active block, OEM header word
//   OFF=W              any word (after all of the above)
//   block=OFF          the 1 KiB block at OFF copied over the active block
//   size=N             the file cut or padded with 0 to N bytes
// The image is erased flash (0xFF) with the header magic and the port mask in
// the active block and four port-variant blocks for 4, 3, 2 and 1 ports, each
// with the magic, its port mask and words that tell the blocks apart.
// Returns false, and the token it did not understand in *bad when given.
bool build(const std::string& recipe, std::vector<std::uint8_t>* img, std::string* bad = nullptr);

std::uint32_t word_at(const std::vector<std::uint8_t>& img, std::uint32_t off);
void put_word(std::vector<std::uint8_t>* img, std::uint32_t off, std::uint32_t value);

}  // namespace testimg
