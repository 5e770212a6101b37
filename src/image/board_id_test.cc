#include "image/board_id.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The PHY type letter of every identifier byte; a ZT letter from outside its
// table (the "phy id unknown" ones) shows in lower case.
TEST(Identification, PhyLetterOfEveryIdentifierByte) {
  std::string qm(256, 'I');
  std::istringstream not_inner("03F 50F 51C 52M 60Y 61Y 62Y 64Y 70Y 80O 90E a0A");
  for (std::string t; not_inner >> t;) qm[std::stoul(t.substr(0, 2), nullptr, 16)] = t[2];
  std::string zt;
  for (const char letter : std::string("IEEIIEIeeeeeeeee")) zt += std::string(16, letter);
  for (std::size_t b = 0; b < 256; ++b) {
    bool unknown = false;
    const char z = board::zt_phy_letter(static_cast<std::uint8_t>(b), &unknown);
    EXPECT_EQ(board::qm_phy_letter(static_cast<std::uint8_t>(b)), qm[b]) << b;
    EXPECT_EQ(unknown ? static_cast<char>(std::tolower(z)) : z, zt[b]) << b;
  }
}

}  // namespace
