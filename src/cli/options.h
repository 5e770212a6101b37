// The command line: classifying the arguments and the help, usage and
// version texts.
#pragma once

#include <optional>

// What the first argument asks for.
enum class arg_kind { version, help, file, unknown };

// Classifies the first argument: "--version", "--help", "-F", or unknown
// (with a message unless the argument is null).
arg_kind parse_cmd(const char* arg);

// Maps the option argument to its slot in oem_cmd_table by its second
// character; nothing when none matches (with a message unless the argument
// is null or shorter than two characters).
std::optional<int> parse_cmd2(const char* arg);

void option_display();
void usage_display();
void version_display();
