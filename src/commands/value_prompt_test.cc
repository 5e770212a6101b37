// The number reader's edge values and the line discipline of answers.
#include "commands/value_prompt.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the reader makes of `text`: "=value", "big", "none" or "end", then
// "|" and what it left unread.
std::string read(const std::string& text, prompt::radix r) {
  std::string buf = text + '\0';
  std::FILE* in = fmemopen(buf.data(), text.size(), "r");
  console_reader reader(in);
  const prompt::read_result got = prompt::read_number(reader, r);
  const char* const names[] = {"", "none", "big", "end"};
  std::string s = got.status == prompt::read_status::number ? "=" + std::to_string(got.value)
                                                            : names[static_cast<int>(got.status)];
  s += '|';
  for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) s += static_cast<char>(c);
  return std::fclose(in) == 0 ? s : "fclose failed";
}

TEST(ReadNumber, EdgeValues) {
  // clang-format off
  const char* const hex[][2] = {
      {"0XaF", "=175|"}, {" \n\t\r\v\f 7 8", "=7| 8"}, {"+5", "=5|"}, {"-0x10", "=-16|"},
      {"0x\n", "=0|\n"}, {"0xg", "=0|g"}, {"010", "=16|"}, {"1x5", "=1|x5"}, {"12g4", "=18|g4"}, {"7fffffff", "=2147483647|"},
      {"00000000ffffffff", "=-1|"}, {"-80000000", "=-2147483648|"}, {"-80000001", "big|"},
      {"-ffffffff", "big|"}, {"123456789abcdef0123 1", "big| 1"}, {"- 5", "none| 5"},
      {"+", "none|"}, {"", "end|"}, {" \n\r\n", "end|"}};
  const char* const dec[][2] = {
      {"123x", "=123|x"}, {"0x5", "=0|x5"}, {"1f", "=1|f"}, {"-42\r\n", "=-42|\r\n"},
      {"4294967295", "=-1|"}, {"-2147483648", "=-2147483648|"}, {"-2147483649", "big|"},
      {"ab", "none|ab"}};
  // clang-format on
  for (const auto& [text, want] : hex) EXPECT_EQ(read(text, prompt::radix::hex), want) << text;
  for (const auto& [text, want] : dec) EXPECT_EQ(read(text, prompt::radix::dec), want) << text;
}

// A bare line end answers the question by itself and leaves the next line.
TEST(AnswerChar, TakesOneLine) {
  std::string text = "yes\n\nn\r\n\r\n\rq";
  std::FILE* in = fmemopen(text.data(), text.size(), "r");
  console_reader reader(in);
  for (const int want : std::initializer_list<int>{'y', '\n', 'n', '\n', '\n', 'q', EOF, EOF})
    EXPECT_EQ(prompt::read_answer_char(reader), want);
  EXPECT_EQ(std::fclose(in), 0);
}

}  // namespace
