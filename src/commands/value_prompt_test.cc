// The number reader and the line discipline of console answers.
#include "commands/value_prompt.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using prompt::radix;
using prompt::read_status;

// A text to read from, as the console input would give it. An empty text
// still gets a buffer of its own, of which nothing is readable.
class text_input {
 public:
  explicit text_input(const std::string& text)
      : text_(text.empty() ? std::string(1, '\0') : text),
        file_(fmemopen(text_.data(), text.size(), "r")) {}
  ~text_input() {
    if (file_ != nullptr) std::fclose(file_);
  }
  text_input(const text_input&) = delete;
  text_input& operator=(const text_input&) = delete;

  std::FILE* get() const { return file_; }
  // What is left unread.
  std::string rest() const {
    std::string s;
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) s += static_cast<char>(c);
    return s;
  }

 private:
  std::string text_;
  std::FILE* file_;
};

struct read_case {
  std::string text;
  radix r;
  read_status status;
  std::int32_t value;  // when a number was read
  std::string rest;
};

void expect_reads(const std::vector<read_case>& cases) {
  for (const read_case& c : cases) {
    SCOPED_TRACE("\"" + c.text + "\"" + (c.r == radix::dec ? " decimal" : " hex"));
    text_input in(c.text);
    ASSERT_NE(in.get(), nullptr);
    const prompt::read_result got = prompt::read_number(in.get(), c.r);
    EXPECT_EQ(got.status, c.status);
    if (c.status == read_status::number) {
      EXPECT_EQ(got.value, c.value);
    }
    EXPECT_EQ(in.rest(), c.rest);
  }
}

constexpr std::int32_t k_min = -2147483647 - 1;

TEST(ReadNumber, DigitsSignAndPrefix) {
  expect_reads({
      {"1f\n", radix::hex, read_status::number, 0x1F, "\n"},
      {"0x1F rest\n", radix::hex, read_status::number, 0x1F, " rest\n"},
      {"0X1f", radix::hex, read_status::number, 0x1F, ""},
      {" \n\t\r\n  7 8\n", radix::hex, read_status::number, 7, " 8\n"},
      {"+5\n", radix::hex, read_status::number, 5, "\n"},
      {"-5\n", radix::hex, read_status::number, -5, "\n"},
      {"-0x10\n", radix::hex, read_status::number, -16, "\n"},
      {"0x\n", radix::hex, read_status::number, 0, "\n"},
      {"0xg", radix::hex, read_status::number, 0, "g"},
      {"12g4", radix::hex, read_status::number, 0x12, "g4"},
      {"123x\n", radix::dec, read_status::number, 123, "x\n"},
      {"0x5\n", radix::dec, read_status::number, 0, "x5\n"},
      {"1f\n", radix::dec, read_status::number, 1, "f\n"},
      {"-42\r\n", radix::dec, read_status::number, -42, "\r\n"},
  });
}

TEST(ReadNumber, AtMost32BitsNeverWrapped) {
  expect_reads({
      {"7fffffff", radix::hex, read_status::number, 0x7FFFFFFF, ""},
      {"ffffffff\n", radix::hex, read_status::number, -1, "\n"},
      {"80000000", radix::hex, read_status::number, k_min, ""},
      {"00000000ffffffff\n", radix::hex, read_status::number, -1, "\n"},
      {"100000000 5\n", radix::hex, read_status::too_large, 0, " 5\n"},
      {"123456789abcdef0123\n", radix::hex, read_status::too_large, 0, "\n"},
      {"-80000000", radix::hex, read_status::number, k_min, ""},
      {"-80000001", radix::hex, read_status::too_large, 0, ""},
      {"-ffffffff", radix::hex, read_status::too_large, 0, ""},
      {"4294967295\n", radix::dec, read_status::number, -1, "\n"},
      {"4294967296\n", radix::dec, read_status::too_large, 0, "\n"},
      {"-2147483648", radix::dec, read_status::number, k_min, ""},
      {"-2147483649", radix::dec, read_status::too_large, 0, ""},
  });
}

TEST(ReadNumber, NoNumberAndEndOfInput) {
  expect_reads({
      {"zz\n", radix::hex, read_status::no_number, 0, "zz\n"},
      {"x1\n", radix::hex, read_status::no_number, 0, "x1\n"},
      {"-\n", radix::hex, read_status::no_number, 0, "\n"},
      {"- 5\n", radix::hex, read_status::no_number, 0, " 5\n"},
      {"+", radix::hex, read_status::no_number, 0, ""},
      {"ab\n", radix::dec, read_status::no_number, 0, "ab\n"},
      {"", radix::hex, read_status::end_of_input, 0, ""},
      {" \n\r\n\t\n", radix::dec, read_status::end_of_input, 0, ""},
  });
}

TEST(ConsoleLines, AnswerCharTakesOneLineAndABareLineEndIsAnAnswer) {
  text_input in("yes\n\nn\r\n\r\nq");
  ASSERT_NE(in.get(), nullptr);
  EXPECT_EQ(prompt::read_answer_char(in.get()), 'y');
  EXPECT_EQ(prompt::read_answer_char(in.get()), '\n');
  EXPECT_EQ(prompt::read_answer_char(in.get()), 'n');
  EXPECT_EQ(prompt::read_answer_char(in.get()), '\n');
  EXPECT_EQ(prompt::read_answer_char(in.get()), 'q');
  EXPECT_EQ(prompt::read_answer_char(in.get()), EOF);
  EXPECT_EQ(prompt::read_answer_char(in.get()), EOF);
}

TEST(ConsoleLines, ClearFlushEndsAfterTheLineEndOrAtTheEnd) {
  text_input two("abc\r\n\ndef");
  clear_flush(two.get());
  EXPECT_EQ(two.rest(), "\ndef");
  text_input open_line("abc");
  clear_flush(open_line.get());
  EXPECT_EQ(open_line.rest(), "");
  clear_flush(open_line.get());  // at the end already: returns at once
  EXPECT_EQ(open_line.rest(), "");
}

}  // namespace
