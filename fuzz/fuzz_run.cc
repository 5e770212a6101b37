// One whole run of the tool in process, driven by a fuzz input, and the
// properties that every run must keep. Input layout (a short input is padded
// with zero bytes):
//   byte 0      the option: a letter of IYMEPXGSLWNDC0 as it stands; any other
//               byte picks by its value modulo 16 a letter in that order, 14 an
//               unknown option and 15 none at all
//   bytes 1-12  sub-system ID, port mask and OEM header words, little-endian
//   byte 13     bit i set: the port-variant block for 4 - i ports lacks its magic
//   byte 14     I/O fault: bits 0-1 none, a read fails, a write fails, the close
//               fails; bits 2-5 pick the offset it hits
//   the rest    typed on the console
// A broken property prints what it found and aborts, which the fuzzer reports
// as a crash with the input. DORVANE_FUZZ_SHOW=1 shows every run instead.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/board_id.h"
#include "image_builder.h"
#include "inproc.h"

namespace {

// The layout as this harness knows it, apart from the tool's own constants:
// a wrong constant in the tool then shows as a wrong word.
constexpr std::uint32_t k_header = 0xFF000, k_variants = 0xFD000, k_block = 0x400;
constexpr std::array<std::uint32_t, 16> k_fault_offsets = {
    0xFFFDC, 0x16C,   0xFF000, 0xFF004, 0xFF008, 0xFF00C, 0xFF010, 0xFF014,
    0xFF018, 0xFF020, 0xF1000, 0x000,   0x3FC,   0xFD000, 0xFD400, 0xFDC00};
const char* const k_early_refusals[] = {
    "ERROR, the img not support this option\n", "ERROR, ZT img not support this option\n",
    "ERROR, the img not support WOL\n", "Current phy type ", "ERROR, port num "};

// Per option: the words it may write besides the header, first to last (the
// recovery also 0xF1000), and its enable bit. The values written are pinned by
// the end-to-end cases, bit by bit.
struct rule {
  char letter;
  std::uint32_t first, last, bit;
};
// clang-format off
constexpr rule k_rules[] = {
    {'I', 0xFF008, 0xFF008, 0x20000}, {'Y', 0xFF008, 0xFF00C, 0x20000}, {'M', 0xFF008, 0xFF008, 0x20000},
    {'E', 0xFF008, 0xFF008, 0x20000}, {'P', 0xFF010, 0xFF010, 0x100000}, {'S', 0xFF014, 0xFF014, 0x200000},
    {'X', 0xFF014, 0xFF018, 0x200000}, {'W', 0xFF018, 0xFF018, 0x400000}, {'G', 0xFF004, 0xFF004, 0x10000},
    {'L', 0xF1000, 0xF1000, 0x800000}, {'N', 0x000, 0x3FC, 0}, {'D', 0xFF020, 0xFF020, 0}, {'C', 1, 0, 0},
    {'0', 0xFF000, 0xFF028, 0}};
// clang-format on

std::string g_shown;  // the case and its output, for a report

void expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "PROPERTY FAILED: %s\n%s\n", what, g_shown.c_str());
  std::abort();
}

void check(char letter, const inproc_run& o, const std::vector<std::uint8_t>& before) {
  const mem_image& img = g_image;
  // Only an option opens the image.
  const bool opened = !img.log.empty();
  expect(opened == (letter != 0 && letter != 'Q'), "option and image opening disagree");
  if (!opened) return expect(o.waits.empty(), "a run without an image read the console");
  rule r = *std::find_if(std::begin(k_rules), std::end(k_rules),
                         [letter](const rule& x) { return x.letter == letter; });
  if (letter == 'S' && g_cfg.chip_family != board::family::qm)
    r.first = r.last = 0xFF010, r.bit = 0x100000;
  for (const std::uint32_t off : img.writes) {
    const bool header = off == k_header && (r.bit != 0 || letter == '0');
    expect((off >= r.first && off <= r.last && off % 4 == 0) || header ||
               (letter == '0' && off == 0xF1000),
           "write outside the option's words");
  }
  const auto said = [&o](const char* text) { return o.out.find(text) != std::string::npos; };
  const bool early = std::any_of(std::begin(k_early_refusals), std::end(k_early_refusals), said);
  const bool refused = early || said("error, img not support, hdr 0x");
  // The input ended, or was UTF-16 text, before every answer was taken.
  const bool ended = said(", nothing written\n");
  const bool unchanged = img.writes.empty() && img.bytes == before;
  expect(!ended || (letter != 'C' && letter != '0'), "end of input without a prompt");
  expect(!(refused || ended) || unchanged, "a refused or interrupted run changed the image");
  expect(!early || o.waits.empty(), "a refused run read the console");
  for (const std::string& shown : o.waits)
    expect(!shown.empty(), "waited before the prompt was out");
  const bool says_unchanged = said("[WARN] File has not been modified.\n");
  expect(!says_unchanged || img.writes.empty(), "a run that wrote says the file is unchanged");
  expect(says_unchanged || img.failures > 0 || !img.writes.empty(), "unchanged run not told");
  expect(img.writes.empty() || img.log.find("sync\n") != std::string::npos,
         "a written image was closed without sync");
  expect(!img.wrote_after_failure, "a word was written after a failed read or write");
  expect(unsafe_cuts(before) == 0, "a power cut could leave a feature on over words not its own");

  const std::uint32_t was = testimg::word_at(before, k_header);
  const std::uint32_t now = testimg::word_at(img.bytes, k_header);
  if (letter != '0' && now != was) {
    expect((was & 0xFFFF) != 0x55AA || (now & was) == was, "the header lost an enable bit");
    expect((now & ~(was | r.bit | 0x55AA)) == 0, "the header gained a foreign bit");
  }
  if (refused || ended || img.failures > 0 || letter == 'C') return;
  expect(!img.writes.empty() && (letter != '0' || img.writes.size() == 12), "words missed");
  expect(r.bit == 0 || ((now & 0xFFFF) == 0x55AA && (now & r.bit) != 0), "enable bit missed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<std::uint8_t> base;
  // Every word of the OEM area holds a value, so that a run that changes one is seen.
  const char* const words = "ff004=4 ff008=8 ff00c=c ff010=10 ff014=14 ff018=18 ff020=20 f1000=1";
  if (base.empty() && !testimg::build(words, &base)) std::abort();
  std::array<std::uint8_t, 15> p{};
  std::memcpy(p.data(), data, std::min(size, p.size()));
  const std::string console(data + std::min(size, p.size()), data + size);
  const char* const letters = "IYMEPXGSLWNDC0Q";
  char letter = p[0] % 16U < 15 ? letters[p[0] % 16U] : '\0';
  if (p[0] != 0 && std::strchr(letters, p[0]) != nullptr && p[0] != 'Q')
    letter = static_cast<char>(p[0]);
  std::vector<std::uint8_t> before = base;
  // The image's words are little-endian, as the input's.
  for (const auto& [off, at] : {std::pair{0xFFFDCU, 1UL}, {0x16CU, 5UL}, {k_header, 9UL}})
    std::memcpy(&before[off], &p[at], 4);
  for (unsigned i = 0; i < 4; ++i)
    if ((p[13] >> i & 1U) != 0) testimg::put_word(&before, k_variants + i * k_block, ~0U);
  g_image = mem_image{};
  g_image.bytes = before;
  g_image.fails = std::array{fault::none, fault::read, fault::write, fault::close}[p[14] & 3U];
  g_image.fault_at = k_fault_offsets[(p[14] >> 2U) % k_fault_offsets.size()];
  std::vector<std::string> args = {"-F", "board.img"};
  if (letter != 0) args.push_back(std::string("-") + letter);
  // A prompt takes at least one byte of input before it is printed again.
  const inproc_run o = run_inproc(args, console, 8192 + 512 * console.size());
  g_shown = std::string("option '") + letter + "', console:\n" + console + "\noutput:\n" + o.out +
            "\nerrors:\n" + o.err;
  if (std::getenv("DORVANE_FUZZ_SHOW") != nullptr) std::fprintf(stderr, "%s\n\n", g_shown.c_str());
  check(letter, o, before);
  return 0;
}
