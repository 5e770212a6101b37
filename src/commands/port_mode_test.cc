#include "commands/port_mode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(PortModeBits, BitcountCountsEverySetBit) {
  EXPECT_EQ(bitcount(0), 0);
  EXPECT_EQ(bitcount(0x10), 1);
  EXPECT_EQ(bitcount(0x1E), 4);
  EXPECT_EQ(bitcount(-1), 32);
  EXPECT_EQ(bitcount(std::numeric_limits<std::int32_t>::min()), 1);
}

TEST(PortModeBits, DriverByteNeedsExactlyOneModeBit) {
  // Bit 7 always set, bits 0 and 5 and everything above bit 7 dropped.
  EXPECT_EQ(drv_port_byte(0x02), 0x82);
  EXPECT_EQ(drv_port_byte(0x44), 0xC4);
  EXPECT_EQ(drv_port_byte(0x03), 0x82);
  EXPECT_EQ(drv_port_byte(0x22), 0x82);
  EXPECT_EQ(drv_port_byte(0x102), 0x82);
  EXPECT_EQ(drv_port_byte(0x7FFFFF50), 0xD0);
  EXPECT_EQ(drv_port_byte(0xC0 | 0x10), 0xD0);
  for (const std::int32_t refused : {0x0, 0x20, 0x06, 0x1E, 0x1FF, 0x41, 0x7FFFFFE1}) {
    EXPECT_EQ(drv_port_byte(refused), -1) << std::hex << refused;
  }
}

}  // namespace
