// Whole runs of the tool inside the test process, on an image held in memory
// behind the image I/O seam, with faults that a test can inject.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The image of a run: a read or a write failing at an offset, a write that
// lands with bit 0 flipped, a failed close; every access is logged.
struct mem_image {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> reads;   // offsets asked for, failed ones included
  std::vector<std::uint32_t> writes;  // offsets written
  bool synced = false;
  int failures = 0;                  // reads and writes that failed
  bool wrote_after_failure = false;  // a write came after a failed access
  std::optional<std::uint32_t> fail_read_at, fail_write_at, corrupt_write_at;
  bool fail_close = false;
};

struct inproc_run {
  std::string out, err;
  long console_read = 0;  // bytes taken from the console input
};

// Runs the tool with `args` (after the program name) and `input` on the
// console, on `image`, or on the image file as the platform gives it when
// `image` is null. Output beyond `output_limit` bytes means that a prompt loops
// without reading: the process aborts with the output's tail.
inproc_run run_inproc(const std::vector<std::string>& args, const std::string& input,
                      mem_image* image, std::size_t output_limit = 1 << 20);
