// The option argument is read no further than its end, however short.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "base/console.h"

namespace {

TEST(OptionArgument, ShorterThanTwoCharactersSelectsNothingSilently) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  ASSERT_NE(out, nullptr);
  const console_io saved = g_con;
  g_con.out = out;
  // Each argument is followed in memory by a letter that would select a command.
  const char empty[] = {'\0', 'C', '\0'};
  const char lone[] = {'-', '\0', 'C', '\0'};
  // "C" alone, too: its second character is its end.
  const std::array<std::optional<int>, 4> slots = {parse_cmd2(empty), parse_cmd2(lone),
                                                   parse_cmd2(empty + 1), parse_cmd2(nullptr)};
  g_con = saved;
  ASSERT_EQ(std::fclose(out), 0);
  EXPECT_EQ(slots, (std::array<std::optional<int>, 4>{}));
  EXPECT_STREQ(text, "");
  std::free(text);
}

}  // namespace
