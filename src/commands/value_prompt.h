// The one way every command asks the operator for numbers: print the prompt,
// read one number, discard the rest of the line, judge the value, and ask
// again until it is accepted or the console input ends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/console.h"

namespace prompt {

enum class radix { hex, dec };

enum class read_status {
  number,        // a number was read into value
  no_number,     // the text holds no number where one was expected
  too_large,     // the number does not fit in 32 bits
  end_of_input,  // the input ended before anything but blanks
};

struct read_result {
  read_status status;
  std::int32_t value;
};

// The readers below first flush the console output, so that the prompt is
// out before they wait.
//
// Reads one number: blanks and line ends skipped, an optional sign, for
// hexadecimal an optional 0x, then digits. Magnitudes up to 0xFFFFFFFF are
// taken as signed 32-bit values (ffffffff is -1); larger entries are
// refused as too large rather than wrapped.
read_result read_number(console_reader& in, radix r);

// The one read of every prompt: prints `prompt_text`, reads one number from
// the console and discards the rest of its line. Nothing when the input
// ended first, after saying so; the caller then writes nothing.
std::optional<read_result> read_entry(const char* prompt_text, radix r);

// Judges an entry for a value as the value prompts do. A number wider than
// 32 bits is refused; a number is taken into *value, while an entry without
// one leaves *value as it was; a negative *value is refused. True when
// *value is left for the command's own checks.
bool take_entry(const read_result& got, std::int32_t* value);

// A command's own check of an accepted non-negative value. It prints the
// command's message and returns false to have the value asked again.
using value_check = std::function<bool(std::int32_t)>;

// The value prompt. Returns the accepted value, or nothing when the console
// input ended (after saying so); the caller then writes nothing.
std::optional<std::int32_t> ask_value(const char* prompt_text, radix r,
                                      const value_check& check = nullptr);

// Reads the one-character answer to a question and discards the rest of its
// line. A bare line end is an answer of its own and takes nothing from the
// next line. Returns EOF when the input has ended.
int read_answer_char(console_reader& in);

// The line printed when the console input ends before a command has all its
// entries.
void report_end_of_input();

}  // namespace prompt

// Reads and discards characters up to and including the next line end, or to
// the end of the input.
void clear_flush(console_reader& in);
