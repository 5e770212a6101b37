#include "console_capture.h"

console_capture::console_capture(const std::string& input)
    : saved_(g_con), in_(std::tmpfile()), out_(std::tmpfile()), err_(std::tmpfile()) {
  std::fwrite(input.data(), 1, input.size(), in_);
  std::rewind(in_);
  g_con = {in_, out_, err_};
}

console_capture::~console_capture() {
  g_con = saved_;
  std::fclose(in_);
  std::fclose(out_);
  std::fclose(err_);
}

std::string console_capture::read_all(std::FILE* f) {
  std::fflush(f);
  const long end = std::ftell(f);
  std::rewind(f);
  std::string s(static_cast<std::size_t>(end < 0 ? 0 : end), '\0');
  const std::size_t got = std::fread(s.data(), 1, s.size(), f);
  s.resize(got);
  std::fseek(f, 0, SEEK_END);
  return s;
}
