#include "commands/value_prompt.h"

namespace prompt {
namespace {

bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::optional<int> digit_value(int c, radix r) {
  if (c >= '0' && c <= '9') return c - '0';
  if (r == radix::hex) {
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  }
  return std::nullopt;
}

// The first character of an answer. Whatever the tool has printed, the
// prompt included, is out before it waits for the operator: a script that
// answers each prompt as it comes sees it.
int first_char(console_reader& in) {
  std::fflush(g_con.out);
  return in.get();
}

constexpr std::uint64_t k_max_magnitude = 0xFFFFFFFFULL;
constexpr std::uint64_t k_max_negative_magnitude = 0x80000000ULL;

// Drops the x of a 0x prefix when `c`, the character just read, is its 0.
// The 0 is then read as a digit, so that "0x" alone reads as 0.
void skip_hex_x(console_reader& in, int c) {
  if (c != '0') return;
  const int next = in.get();
  if (next != 'x' && next != 'X') in.unget(next);
}

}  // namespace

read_result read_number(console_reader& in, radix r) {
  int c = first_char(in);
  while (c != EOF && is_blank(c)) c = in.get();
  if (c == EOF) return {read_status::end_of_input, 0};

  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = in.get();
  }
  if (r == radix::hex) skip_hex_x(in, c);
  const std::uint64_t base = r == radix::hex ? 16 : 10;
  bool any_digit = false;
  std::uint64_t magnitude = 0;
  bool too_large = false;
  for (std::optional<int> d = digit_value(c, r); d; d = digit_value(c, r)) {
    any_digit = true;
    if (!too_large) {
      magnitude = magnitude * base + static_cast<std::uint64_t>(*d);
      too_large = magnitude > k_max_magnitude;
    }
    c = in.get();
  }
  in.unget(c);

  if (!any_digit) return {read_status::no_number, 0};
  if (too_large || (negative && magnitude > k_max_negative_magnitude)) {
    return {read_status::too_large, 0};
  }
  const std::uint32_t bits =
      negative ? static_cast<std::uint32_t>(0U - magnitude) : static_cast<std::uint32_t>(magnitude);
  return {read_status::number, static_cast<std::int32_t>(bits)};
}

std::optional<read_result> read_entry(const char* prompt_text, radix r) {
  con_printf("%s", prompt_text);
  const read_result got = read_number(g_con.in, r);
  if (got.status == read_status::end_of_input) {
    report_end_of_input();
    return std::nullopt;
  }
  clear_flush(g_con.in);
  return got;
}

bool take_entry(const read_result& got, std::int32_t* value) {
  if (got.status == read_status::too_large) {
    con_printf("ERROR, Input Value too large, at most 32 bits\n");
    return false;
  }
  if (got.status == read_status::number) *value = got.value;
  if (*value < 0) {
    con_printf("ERROR, Input Value (%d) < (%d) invalid\n", *value, 0);
    return false;
  }
  return true;
}

std::optional<std::int32_t> ask_value(const char* prompt_text, radix r, const value_check& check) {
  std::int32_t value = -1;
  for (;;) {
    const std::optional<read_result> got = read_entry(prompt_text, r);
    if (!got) return std::nullopt;
    if (take_entry(*got, &value) && (!check || check(value))) return value;
  }
}

int read_answer_char(console_reader& in) {
  const int c = first_char(in);
  if (c == EOF || c == '\n') return c;
  if (c == '\r') {
    const int next = in.get();
    if (next != '\n') in.unget(next);
    return '\n';
  }
  clear_flush(in);
  return c;
}

void report_end_of_input() {
  if (g_con.in.utf16()) {
    con_printf(
        "\nERROR, the input is UTF-16 text: save the answers as UTF-8 or ANSI (PowerShell: "
        "Set-Content -Encoding utf8), nothing written\n");
    return;
  }
  con_printf("\nERROR, no more input, nothing written\n");
}

}  // namespace prompt

void clear_flush(console_reader& in) {
  int c = in.get();
  while (c != EOF && c != '\n') c = in.get();
}
