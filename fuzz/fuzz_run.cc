// One whole run of the tool in process, driven by a fuzz input.
//
// Input layout (shorter inputs are padded with zero bytes):
//   byte 0       the option: one of the letters IYMEPXGSLWNDC0 as it stands,
//                any other byte picks by its value modulo 16 a letter in that
//                order, 14 an unknown option, 15 no option at all
//   bytes 1-4    sub-system ID word (little-endian)
//   bytes 5-8    port mask word of the active header block
//   bytes 9-12   OEM header word
//   byte 13      bit i set: the port-variant block for 4 - i ports lacks its
//                header magic
//   byte 14      I/O fault: bits 0-1 the kind (none, a read fails, a write
//                fails, the close fails), bits 2-5 the offset it hits
//   the rest     typed on the console
//
// Besides what the sanitizers catch, every run is checked for:
// - every word written lies among the words that the option may write, and
//   every word read among the words the tool knows;
// - a run that was refused, or whose console input ended before all entries
//   were accepted, leaves the image byte for byte as it was, and a run
//   refused before its prompts reads nothing from the console;
// - a run that was neither refused, interrupted nor hit by a fault wrote its
//   words and recorded its enable bit;
// - the OEM header word never loses an enable bit and gains none but the
//   option's;
// - each written word holds a value its fields allow;
// - the closing message agrees with what was written, and no word is
//   written after a read or write of the image failed;
// - the output stays bounded by the input: no prompt loops on its own.
// A failed check prints what it found and aborts, which the fuzzer reports
// as a crash with the input that caused it.

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/run.h"
#include "image/board_id.h"
#include "image_builder.h"
#include "mem_stream.h"

namespace {

// The image layout as this harness knows it, independent of the tool's own
// constants.
constexpr std::uint32_t k_header = 0xFF000;
constexpr std::uint32_t k_signature = 0x55AA;
constexpr std::uint32_t k_signature_mask = 0xFFFF;
constexpr std::uint32_t k_gpio = 0xFF004;
constexpr std::uint32_t k_led0 = 0xFF008;
constexpr std::uint32_t k_led1 = 0xFF00C;
constexpr std::uint32_t k_word10 = 0xFF010;  // 88E1512 mode (QM), SMBus ARP (ZT)
constexpr std::uint32_t k_word14 = 0xFF014;  // SMBus ARP (QM), 88X3310 LED 0 (ZT)
constexpr std::uint32_t k_word18 = 0xFF018;  // WOL pulse (QM), 88X3310 LED 1 (ZT)
constexpr std::uint32_t k_drv_mode = 0xFF020;
constexpr std::uint32_t k_area_last = 0xFF028;
constexpr std::uint32_t k_lldp = 0xF1000;
constexpr std::uint32_t k_port_mask = 0x16C;
constexpr std::uint32_t k_sub_sys_id = 0xFFFDC;
constexpr std::uint32_t k_block_size = 0x400;
constexpr std::uint32_t k_variant_first = 0xFD000;
constexpr std::uint32_t k_variant_end = 0xFE000;
constexpr std::uint32_t k_erased = 0xFFFFFFFF;

constexpr std::uint32_t k_en_gpio = 0x10000;
constexpr std::uint32_t k_en_phy_led = 0x20000;
constexpr std::uint32_t k_en_bit20 = 0x100000;  // 88E1512 mode (QM), SMBus ARP (ZT)
constexpr std::uint32_t k_en_bit21 = 0x200000;  // SMBus ARP (QM), 88X3310 LEDs (ZT)
constexpr std::uint32_t k_en_wol = 0x400000;
constexpr std::uint32_t k_en_lldp = 0x800000;

constexpr std::uint8_t k_family_qm = 0;

constexpr char k_letters[] = "IYMEPXGSLWNDC0";
constexpr std::size_t k_letter_count = sizeof k_letters - 1;
constexpr char k_unknown_letter = 'Q';
constexpr char k_no_option = '\0';

constexpr std::size_t k_prefix_size = 15;

// Offsets an injected fault may hit: the identity words, the OEM area and
// the header blocks that the commands touch.
constexpr std::array<std::uint32_t, 16> k_fault_offsets = {
    k_sub_sys_id, k_port_mask, k_header, k_gpio, k_led0, k_led1,  k_word10, k_word14,
    k_word18,     k_drv_mode,  k_lldp,   0x000,  0x3FC,  0xFD000, 0xFD400,  0xFDC00};

enum class fault_kind { none, read, write, close };

// A path under /proc cannot exist, so the rename that ends a run that wrote
// something fails and can never touch a real file.
constexpr const char* k_image_path = "/proc/dorvane-fuzz/board.img";

const char* const k_end_of_input = "\nERROR, no more input, nothing written\n";
const char* const k_not_modified = "[WARN] File has not been modified.\n";
// Refusals printed before a command asks anything.
const char* const k_refusals_before_asking[] = {
    "ERROR, the img not support this option\n",
    "ERROR, ZT img not support this option\n",
    "ERROR, the img not support WOL\n",
    "Current phy type ",
    "ERROR, port num ",
};
// The refusal of "-N" after its prompt: the selected block lacks its magic.
const char* const k_refusal_no_magic = "error, img not support, hdr 0x";

struct fuzz_case {
  char letter = k_no_option;
  testimg::recipe image;
  fault_kind fault = fault_kind::none;
  std::uint32_t fault_offset = 0;
  std::vector<char> console;
};

std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

char option_letter(std::uint8_t b) {
  if (b != 0 && std::strchr(k_letters, b) != nullptr) return static_cast<char>(b);
  const std::size_t pick = b % 16U;
  if (pick < k_letter_count) return k_letters[pick];
  return pick == k_letter_count ? k_unknown_letter : k_no_option;
}

fuzz_case decode(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, k_prefix_size> p{};
  if (size > 0) std::memcpy(p.data(), data, size < k_prefix_size ? size : k_prefix_size);
  fuzz_case c;
  c.letter = option_letter(p[0]);
  c.image.sub_sys_id = le32(&p[1]);
  c.image.port_mask = le32(&p[5]);
  c.image.oem_header = le32(&p[9]);
  for (unsigned i = 0; i < 4; ++i) {
    if ((p[13] >> i & 1U) != 0) c.image.words[k_variant_first + i * k_block_size] = k_erased;
  }
  c.fault = static_cast<fault_kind>(p[14] & 3U);
  c.fault_offset = k_fault_offsets[(p[14] >> 2U) % k_fault_offsets.size()];
  if (size > k_prefix_size) c.console.assign(data + k_prefix_size, data + size);
  return c;
}

// ---------------------------------------------------------------------------
// The run

// The image of the current run and what happened to it. The tool owns the
// stream that the opener returns and destroys it before the run ends, so the
// opener hands out a stream that forwards to this one.
mem_stream* g_image = nullptr;
bool g_opened = false;
bool g_fault_hit = false;  // a read or write failed
bool g_written_after_fault = false;

class borrowed_stream : public img_stream {
 public:
  explicit borrowed_stream(mem_stream* image) : image_(image) {}
  bool read_at(std::uint32_t off, std::uint8_t* buf, std::size_t n) override {
    return note(image_->read_at(off, buf, n));
  }
  bool write_at(std::uint32_t off, const std::uint8_t* buf, std::size_t n) override {
    if (g_fault_hit) g_written_after_fault = true;
    return note(image_->write_at(off, buf, n));
  }
  bool close(bool sync) override { return image_->close(sync); }
  std::string error_text() const override { return image_->error_text(); }

 private:
  static bool note(bool ok) {
    if (!ok) g_fault_hit = true;
    return ok;
  }
  mem_stream* image_;
};

std::unique_ptr<img_stream> open_fuzz_image(const std::string& /*path*/) {
  g_opened = true;
  return std::make_unique<borrowed_stream>(g_image);
}

// Console output collected in a string; more than `limit` bytes means the
// tool prints without reading, and that is reported at once rather than
// left to grow until memory runs out.
struct capture {
  std::string text;
  std::size_t limit = 0;
};

[[noreturn]] void fail(const char* what, const fuzz_case& c, const std::string& detail = "");

const fuzz_case* g_case = nullptr;  // the case being run, for reports

ssize_t capture_write(void* cookie, const char* buf, std::size_t n) {
  auto* cap = static_cast<capture*>(cookie);
  cap->text.append(buf, n);
  if (cap->text.size() > cap->limit) {
    fail("output grows without input:", *g_case, cap->text.substr(cap->text.size() - 200));
  }
  return static_cast<ssize_t>(n);
}

std::FILE* open_capture(capture* cap) {
  cookie_io_functions_t io{};
  io.write = capture_write;
  return fopencookie(cap, "w", io);
}

struct outcome {
  std::string out;
  std::string err;
  long console_read = 0;  // bytes taken from the console input
};

outcome run_case(const fuzz_case& c, mem_stream* image) {
  g_image = image;
  g_opened = false;
  g_fault_hit = false;
  g_written_after_fault = false;
  capture out;
  capture err;
  // Every prompt takes at least one byte of input before it is printed again.
  out.limit = 8192 + 512 * c.console.size();
  err.limit = out.limit;
  std::vector<char> console = c.console;
  static char no_input = 0;
  std::FILE* in = fmemopen(console.empty() ? &no_input : console.data(), console.size(), "r");
  std::FILE* out_file = open_capture(&out);
  std::FILE* err_file = open_capture(&err);
  if (in == nullptr || out_file == nullptr || err_file == nullptr) std::abort();

  const std::string option = std::string("-") + c.letter;
  std::vector<const char*> argv = {"dorvane_oem_tool", "-F", k_image_path};
  if (c.letter != k_no_option) argv.push_back(option.c_str());

  const console_io saved = g_con;
  g_con = {in, out_file, err_file};
  run_tool(static_cast<int>(argv.size()), argv.data(), open_fuzz_image);
  g_con = saved;

  outcome o;
  o.console_read = std::ftell(in);
  // Closing flushes the last output into the captures.
  if (std::fclose(in) != 0 || std::fclose(out_file) != 0 || std::fclose(err_file) != 0)
    std::abort();
  o.out = out.text;
  o.err = err.text;
  return o;
}

// ---------------------------------------------------------------------------
// The properties

const outcome* g_outcome = nullptr;  // the run's output, for reports

std::string printable(const std::vector<char>& bytes) {
  std::string s;
  for (char ch : bytes) {
    const auto u = static_cast<unsigned char>(ch);
    if (u == '\n') {
      s += "\\n";
    } else if (u >= 0x20 && u < 0x7F) {
      s += ch;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", u);
      s += buf;
    }
  }
  return s;
}

void show_case(const fuzz_case& c) {
  std::fprintf(stderr,
               "  option '%c' sub-system ID 0x%x port mask 0x%x header 0x%x fault %d at 0x%x\n"
               "  console \"%s\"\n",
               c.letter == k_no_option ? ' ' : c.letter, c.image.sub_sys_id, c.image.port_mask,
               c.image.oem_header, static_cast<int>(c.fault), c.fault_offset,
               printable(c.console).c_str());
  if (g_outcome != nullptr) {
    std::fprintf(stderr, "  output:\n%s\n  errors:\n%s\n", g_outcome->out.c_str(),
                 g_outcome->err.c_str());
  }
}

void fail(const char* what, const fuzz_case& c, const std::string& detail) {
  std::fprintf(stderr, "PROPERTY FAILED: %s %s\n", what, detail.c_str());
  show_case(c);
  std::abort();
}

std::string hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%x", v);
  return buf;
}

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

bool is_configuring(char letter) { return letter != 'C' && letter != '0'; }

// The words besides the header that `letter` may write.
bool may_write(char letter, std::uint8_t family, std::uint32_t off) {
  const bool qm = family == k_family_qm;
  switch (letter) {
    case 'I':
    case 'M':
    case 'E':
      return off == k_led0;
    case 'Y':
      return off == k_led0 || off == k_led1;
    case 'X':
      return off == k_word14 || off == k_word18;
    case 'P':
      return off == k_word10;
    case 'D':
      return off == k_drv_mode;
    case 'G':
      return off == k_gpio;
    case 'S':
      return off == (qm ? k_word14 : k_word10);
    case 'L':
      return off == k_lldp;
    case 'W':
      return off == k_word18;
    case 'N':
      return off < k_block_size;
    case '0':
      return (off >= k_header && off <= k_area_last) || off == k_lldp;
    default:
      return false;
  }
}

// The enable bit that `letter` records in the header; 0 for none.
std::uint32_t enable_bit(char letter, std::uint8_t family) {
  const bool qm = family == k_family_qm;
  switch (letter) {
    case 'I':
    case 'Y':
    case 'M':
    case 'E':
      return k_en_phy_led;
    case 'X':
      return k_en_bit21;
    case 'P':
      return k_en_bit20;
    case 'G':
      return k_en_gpio;
    case 'S':
      return qm ? k_en_bit21 : k_en_bit20;
    case 'L':
      return k_en_lldp;
    case 'W':
      return k_en_wol;
    default:
      return 0;
  }
}

bool is_known_word(std::uint32_t off) {
  return off == k_sub_sys_id || off == k_lldp || (off >= k_header && off <= k_area_last) ||
         off < k_block_size || (off >= k_variant_first && off < k_variant_end);
}

unsigned bit_count(std::uint32_t v) {
  unsigned n = 0;
  for (; v != 0; v &= v - 1) ++n;
  return n;
}

// The driver port-mode word: a valid byte for each port in use, 0 above.
bool drv_word_fits(std::uint32_t w, unsigned ports) {
  for (unsigned i = 0; i < 4; ++i) {
    const std::uint32_t b = (w >> (8 * i)) & 0xFFU;
    if (i >= ports) {
      if (b != 0) return false;
    } else if ((b & 0x80U) == 0 || (b & 0x21U) != 0 || bit_count(b & 0x1EU) != 1) {
      return false;
    }
  }
  return true;
}

bool smbus_word_fits(std::uint32_t w) {
  const std::uint32_t code = w & 0xFU;
  const std::uint32_t addr = w >> 16;
  if ((w & 0xFFF0U) != 0 || (code != 0xE && code != 0xF)) return false;
  if (addr < 0x08 || addr > 0x77) return false;
  return code == 0xE || addr == 0x49;
}

// Whether the word `w` written at `off` by `letter` fits its fields.
bool value_fits(char letter, std::uint32_t w, const sys_ctrl_t& cfg) {
  switch (letter) {
    case 'I':
      return w <= 0xFFFFFFU;
    case 'M':
      return (w & ~0x1CF00FFU) == 0;
    case 'E':
    case 'P':
      return w <= 0x7FFFFFFFU;
    case 'D':
      return drv_word_fits(w, cfg.cur_port_num);
    case 'G':
      return w <= 0xFFFFU;
    case 'S':
      return smbus_word_fits(w);
    case 'L':
      return w <= 0xFU;
    case 'W':
      return w >= 1 && w <= 0xFFFFU;
    case '0':
      return w == k_erased;
    default:
      return true;  // -Y, -X: any two 16-bit fields; -N: checked as a block
  }
}

void check_reads_and_writes(const fuzz_case& c, const mem_stream& image, std::uint8_t family) {
  for (const std::uint32_t off : image.reads()) {
    if (off % 4 != 0 || !is_known_word(off)) fail("read of an unknown word", c, hex(off));
  }
  const bool may_header = enable_bit(c.letter, family) != 0 || c.letter == '0';
  for (const std::uint32_t off : image.writes()) {
    if (off % 4 != 0 || !(may_write(c.letter, family, off) || (may_header && off == k_header))) {
      fail("write outside the option's words", c, hex(off));
    }
  }
}

void check_values(const fuzz_case& c, const mem_stream& image) {
  for (const std::uint32_t off : image.writes()) {
    if (off == k_header && c.letter != '0') continue;  // checked on its own
    if (!value_fits(c.letter, image.word(off), g_cfg)) {
      fail("written value out of its fields", c, hex(off) + " = " + hex(image.word(off)));
    }
  }
}

void check_header(const fuzz_case& c, const mem_stream& image, std::uint32_t enable) {
  const std::uint32_t before = c.image.oem_header;
  const std::uint32_t after = image.word(k_header);
  if (after == before) return;
  if ((before & k_signature_mask) == k_signature && (after & before) != before) {
    fail("header lost an enable bit", c, hex(before) + " -> " + hex(after));
  }
  if ((after & ~(before | enable | k_signature)) != 0) {
    fail("header gained a foreign bit", c, hex(before) + " -> " + hex(after));
  }
}

// The active block after "-N" is the variant block for the ports that
// remain, copied whole.
void check_port_reduction(const fuzz_case& c, const mem_stream& image,
                          const std::vector<std::uint8_t>& before) {
  const unsigned remaining = g_cfg.cur_port_num;
  if (remaining < 1 || remaining > 4 || remaining > g_cfg.max_port_num) {
    fail("port reduction left an impossible port count", c, std::to_string(remaining));
  }
  const std::uint32_t from = k_variant_first + (4 - remaining) * k_block_size;
  if (testimg::word_at(before, from) != testimg::k_magic) {
    fail("port reduction copied a block without magic", c, hex(from));
  }
  if (std::memcmp(image.bytes().data(), before.data() + from, k_block_size) != 0) {
    fail("active block differs from the variant block", c, hex(from));
  }
}

// A run that went through without refusal, end of input or fault.
void check_completed(const fuzz_case& c, const mem_stream& image,
                     const std::vector<std::uint8_t>& before, std::uint32_t enable) {
  if (c.letter == 'C') return;
  if (image.writes().empty()) fail("completed run wrote nothing", c);
  if (c.letter == '0' && image.writes().size() != 12) fail("recovery missed a word", c);
  if (c.letter == 'N') check_port_reduction(c, image, before);
  if (enable != 0) {
    const std::uint32_t h = image.word(k_header);
    if ((h & k_signature_mask) != k_signature || (h & enable) == 0) {
      fail("header misses its signature or enable bit", c, hex(h));
    }
  }
}

void check_run(const fuzz_case& c, const outcome& o, const mem_stream& image,
               const std::vector<std::uint8_t>& before) {
  const bool unchanged = image.bytes() == before;
  const bool usable = c.letter != k_no_option && c.letter != k_unknown_letter;
  if (g_opened != usable) fail(usable ? "option did not open the image" : "bad command ran", c);
  if (!g_opened) {
    if (o.console_read != 0) fail("run without an image read the console", c);
    return;
  }
  const std::uint8_t family = g_cfg.chip_family;
  const std::uint32_t enable = enable_bit(c.letter, family);
  check_reads_and_writes(c, image, family);

  bool refused_early = false;
  for (const char* r : k_refusals_before_asking)
    refused_early = refused_early || contains(o.out, r);
  const bool refused = refused_early || contains(o.out, k_refusal_no_magic);
  const bool ended = contains(o.out, k_end_of_input);
  if (ended && !is_configuring(c.letter)) fail("end of input reported without a prompt", c);
  if ((refused || ended) && (!unchanged || !image.writes().empty())) {
    fail(refused ? "refused run changed the image" : "interrupted run changed the image", c);
  }
  if (refused_early && o.console_read != 0) fail("refused run read the console", c);
  if (contains(o.out, k_not_modified) && !image.writes().empty()) {
    fail("run wrote but reports the file as not modified", c);
  }
  if (!g_fault_hit && image.writes().empty() && !contains(o.out, k_not_modified)) {
    fail("unchanged run does not say so", c);
  }
  if (!image.writes().empty() && !image.synced()) fail("written image closed without sync", c);
  if (g_written_after_fault) fail("a word was written after a failed read or write", c);

  check_values(c, image);
  if (c.letter != '0') check_header(c, image, enable);
  if (!refused && !ended && !g_fault_hit) check_completed(c, image, before, enable);
}

// The builder's image for the case's recipe. Only the words that a case
// chooses differ between cases, so one built image is patched rather than
// 1 MiB built afresh for every run; the first run with each choice of block
// magics checks that the patched image is the one the builder makes.
const std::vector<std::uint8_t>& image_for(const fuzz_case& c) {
  static std::vector<std::uint8_t> img = testimg::build(testimg::recipe{});
  static std::array<bool, 16> checked{};
  testimg::put_word(&img, k_sub_sys_id, c.image.sub_sys_id);
  testimg::put_word(&img, k_port_mask, c.image.port_mask);
  testimg::put_word(&img, k_header, c.image.oem_header);
  unsigned magics = 0;
  for (unsigned i = 0; i < 4; ++i) {
    const std::uint32_t block = k_variant_first + i * k_block_size;
    const auto erased = c.image.words.find(block);
    if (erased != c.image.words.end()) magics |= 1U << i;
    testimg::put_word(&img, block,
                      erased != c.image.words.end() ? erased->second : testimg::k_magic);
  }
  if (!checked.at(magics) && img != testimg::build(c.image)) {
    fail("patched image differs from the builder's", c);
  }
  checked.at(magics) = true;
  return img;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz_case c = decode(data, size);
  const std::vector<std::uint8_t>& before = image_for(c);
  static mem_stream image({});
  image.reset(before);
  switch (c.fault) {
    case fault_kind::read:
      image.fail_read_at = c.fault_offset;
      break;
    case fault_kind::write:
      image.fail_write_at = c.fault_offset;
      break;
    case fault_kind::close:
      image.fail_close = true;
      break;
    case fault_kind::none:
      break;
  }
  g_case = &c;
  const outcome o = run_case(c, &image);
  g_outcome = &o;
  // DORVANE_FUZZ_SHOW=1 prints every run, to see what a corpus exercises.
  if (std::getenv("DORVANE_FUZZ_SHOW") != nullptr) show_case(c);
  check_run(c, o, image, before);
  g_outcome = nullptr;
  g_case = nullptr;
  return 0;
}
