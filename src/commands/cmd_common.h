// Pieces shared by the configuring commands.
#pragma once

#include <cstdint>

#include "image/board_id.h"

namespace cmd {

constexpr std::uint32_t k_low16 = 0xFFFF;
constexpr unsigned k_high_shift = 16;

// A word of two 16-bit fields, each the low 16 bits of its entry.
inline std::uint32_t pack16(std::int32_t low, std::int32_t high) {
  return (static_cast<std::uint32_t>(low) & k_low16) |
         (static_cast<std::uint32_t>(high) << k_high_shift);
}

inline std::uint32_t low16(std::uint32_t w) { return w & k_low16; }
inline std::uint32_t high16(std::uint32_t w) { return w >> k_high_shift; }

// The plain confirmation texts.
constexpr const char* k_completed_bang = "\nConfiguration completed successfully!\n";
constexpr const char* k_completed_colon = "\nConfiguration completed successfully :\n";
constexpr const char* k_completed_plain = "\nConfiguration completed successfully\n";

constexpr const char* k_not_supported = "ERROR, the img not support this option";

// When the image is of `family`, prints `message` as one line and returns
// true: the command is refused.
bool refuse_family(board::family family, const char* message = k_not_supported);

}  // namespace cmd
