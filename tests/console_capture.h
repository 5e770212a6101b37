// Points the console at in-memory streams for the life of the object: the
// given text as input, output and error stream collected.
#pragma once

#include <cstdio>
#include <string>

#include "cli/console.h"

class console_capture {
 public:
  explicit console_capture(const std::string& input = "");
  ~console_capture();
  console_capture(const console_capture&) = delete;
  console_capture& operator=(const console_capture&) = delete;

  std::string out() const { return read_all(out_); }
  std::string err() const { return read_all(err_); }

 private:
  static std::string read_all(std::FILE* f);
  console_io saved_;
  std::FILE* in_;
  std::FILE* out_;
  std::FILE* err_;
};
