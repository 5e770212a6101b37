// Whole runs of the tool inside the test process, on the stand-in for the
// operating system in fake_os.cc: the image file is held in memory, faults
// can be injected into its reads, writes and close, and the calls that make a
// change last are logged in their order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fault to inject: a read or a write at an offset that fails, one there that moves nothing
// (short_io), a write there that lands with bit 0 flipped (corrupt); or a sync, the close or
// the folder's sync that fails; or a folder that cannot change a file in place, refusing a read
// (in_place at its offset) or the open (at 1).
enum class fault { none, read, write, short_io, corrupt, sync, close, folder_sync, in_place };

// The image behind every path the tool opens, with the fault to inject and
// what the run did to it.
struct mem_image {
  std::vector<std::uint8_t> bytes;
  fault fails = fault::none;
  std::uint64_t fault_at = 0;
  bool hits(fault f, std::uint64_t off) const { return fails == f && fault_at == off; }

  std::vector<std::uint32_t> writes;  // offsets written
  // What reached the image, in its order: each write, its offset and the bytes it left there;
  // each sync that succeeded, as an entry without bytes.
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> journal;
  int failures = 0;                  // reads and writes that failed
  bool wrote_after_failure = false;  // a write was tried after a failed access
  std::string log;                   // open, sync, close, rename and folder sync, as they came
};
extern mem_image g_image;

// How many of the images that a power cut or a kill during the run on g_image could leave are
// unsafe, `before` being the image as the run found it. Between two syncs a cut keeps any of the
// 4 KiB blocks written since; a kill keeps the writes up to any one of them. An image is safe where
// its OEM header turns on nothing, or only what the image before the run or the one after it turns
// on, over the rest of that image.
int unsafe_cuts(const std::vector<std::uint8_t>& before);

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
