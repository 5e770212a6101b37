// The option argument is read no further than its end, however short.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(OptionArgument, ShorterThanTwoCharactersSelectsNothing) {
  // Each argument is followed in memory by a letter that would select a command.
  const char empty[] = {'\0', 'C', '\0'};
  const char lone[] = {'-', '\0', 'C', '\0'};
  // "C" alone, too: its second character is its end.
  const std::array<std::optional<int>, 4> slots = {parse_cmd2(empty), parse_cmd2(lone),
                                                   parse_cmd2(empty + 1), parse_cmd2(nullptr)};
  EXPECT_EQ(slots, (std::array<std::optional<int>, 4>{}));
}

}  // namespace
