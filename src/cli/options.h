// The command line: classifying the arguments and the help, usage and
// version texts.
#pragma once

// First-argument classes returned by parse_cmd.
constexpr int k_arg_version = 0;
constexpr int k_arg_help = 1;
constexpr int k_arg_file = 2;
constexpr int k_arg_unknown = -1;

// Classifies the first argument: 0 "--version", 1 "--help", 2 "-F", -1 other
// (with a message unless the argument is null).
int parse_cmd(const char* arg);

// Maps the option argument to its slot in oem_cmd_table by its second
// character; -1 when none matches (with a message unless the argument is
// null or shorter than two characters).
int parse_cmd2(const char* arg);

void option_display();
void usage_display();
void version_display();
