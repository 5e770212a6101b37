// Counting the mode bits of a driver port entry.
#include "commands/port_mode.h"

#include <gtest/gtest.h>

namespace {

TEST(BitCount, CountsEveryBitOfTheWord) {
  const std::pair<std::int32_t, std::int32_t> rows[] = {
      {0, 0}, {1, 1}, {0x1E, 4}, {0x55, 4}, {0x7FFFFFFF, 31}, {-1, 32}, {INT32_MIN, 1}};
  for (const auto& [value, bits] : rows) EXPECT_EQ(bitcount(value), bits) << value;
}

}  // namespace
