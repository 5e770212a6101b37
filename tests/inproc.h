// Whole runs of the tool inside the test process, on the stand-in for the
// operating system in fake_os.cc: the image file is held in memory, faults
// can be injected into its reads, writes and close, and the calls that make a
// change last are logged in their order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The image behind every path the tool opens, with the faults to inject and
// what the run did to it.
struct mem_image {
  std::vector<std::uint8_t> bytes;
  std::optional<std::uint32_t> fail_read_at, fail_write_at;
  std::optional<std::uint32_t> corrupt_write_at;  // the word lands with bit 0 flipped
  std::optional<std::uint32_t> short_at;          // a read or write there moves nothing
  bool fail_sync = false;
  bool fail_close = false;
  bool fail_folder_sync = false;

  std::vector<std::uint32_t> writes;  // offsets written
  int failures = 0;                   // reads and writes that failed
  bool wrote_after_failure = false;   // a write was tried after a failed access
  std::string log;                    // open, sync, close, rename and folder sync, as they came
};
extern mem_image g_image;

struct inproc_run {
  std::string out, err;
  std::string both;  // the two as a terminal shows them
  // Each time the tool took a character of console input, the last line of
  // what it had put out by then: the prompt of its answer.
  std::vector<std::string> waits;
};

// Runs the tool with `args` (after the program name) and `input` on the
// console, which gives one character at a time. Output beyond
// `output_limit` bytes means that a prompt loops without reading: the process
// aborts with the output's tail.
inproc_run run_inproc(const std::vector<std::string>& args, const std::string& input,
                      std::size_t output_limit = 1 << 20);
