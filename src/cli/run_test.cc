// Faults injected at the image I/O seam during whole runs: a read or write
// failing mid-command, a failed sync or close, a header block that reads back
// other than it was written. Each is reported once, nothing is confirmed that
// did not happen, and a half-written image keeps its name. Then the order in
// which a run makes its changes last, through the platform seam.
#include "cli/run.h"

#include <gtest/gtest.h>

#include "image_builder.h"
#include "inproc.h"

namespace {

// clang-format off
enum class fault { none, read, write, short_io, corrupt, sync, close };
struct fault_row { const char* option; const char* input; fault kind; std::uint32_t at; std::string out, err; std::size_t writes; };

const std::string k_gpio = "Please input config val of GPIO :";
const std::string k_gpio_done = k_gpio + "\nConfiguration completed successfully\n    GPIO : 0x1234\n";
const std::string k_lldp_done = "Please input config val of LLDP TX :\nConfiguration completed successfully, LLDP TX config : 0x5\n\n";
const std::string k_ports = "current port num : 4, max port num : 4\nPlease input the number of disabled network ports:";
const std::string k_kept = "[WARN] File has not been modified.\n\n";
const std::string k_renamed = "[SUCCESS] File has been modified, renamed to x/b_oem_0301.img\n\n";
const std::string k_partly = "[ERROR] Image x/b.img may be only partly written; it keeps its name.\n";
const std::string k_fail = "[ERROR] Fail to ";
// clang-format on

TEST(Faults, AreReportedOnceAndNeverCalledSuccess) {
  // clang-format off
  const fault_row rows[] = {
      {"-G", "1234\n", fault::write, 0xFF004, k_gpio + "\n", k_fail + "write image at 0xff004: injected fault\n" + k_partly, 0},
      {"-G", "1234\n", fault::short_io, 0xFF004, k_gpio + "\n", k_fail + "write image at 0xff004: short write\n" + k_partly, 0},
      {"-G", "1234\n", fault::read, 0xFF000, k_gpio_done + "\n", k_fail + "read image at 0xff000: injected fault\n" + k_partly, 1},
      {"-G", "1234\n", fault::read, 0xFFFDC, k_kept, k_fail + "read image at 0xfffdc: injected fault\n", 0},
      {"-G", "1234\n", fault::read, 0x16C, k_kept, k_fail + "read image at 0x16c: injected fault\n", 0},
      {"-G", "1234\n", fault::sync, 0, k_gpio_done + "\n", k_fail + "save image x/b.img: injected fault\n" + k_partly, 2},
      {"-G", "1234\n", fault::close, 0, k_gpio_done + "\n", k_fail + "save image x/b.img: injected fault\n" + k_partly, 2},
      {"-G", "1234\n", fault::none, 0, k_gpio_done + k_renamed, "", 2},
      {"-G", "", fault::none, 0, k_gpio + "\nERROR, no more input, nothing written\n" + k_kept, "", 0},
      {"-L", "5\n", fault::read, 0xFF000, k_lldp_done, k_fail + "read image at 0xff000: injected fault\n" + k_partly, 1},
      {"-0", "", fault::write, 0xFF010, "\n", k_fail + "write image at 0xff010: injected fault\n" + k_partly, 4},
      {"-N", "1\n", fault::read, 0xFD400, k_ports + k_kept, k_fail + "read image at 0xfd400: injected fault\n", 0},
      {"-N", "1\n", fault::short_io, 0xFD400, k_ports + k_kept, k_fail + "read image at 0xfd400: unexpected end of file\n", 0},
      {"-N", "1\n", fault::write, 0x0, k_ports + "\n", k_fail + "write image at 0x0: injected fault\n" + k_partly, 0},
      // The sums are signed, the read-back's first.
      {"-N", "1\n", fault::corrupt, 0x0, k_ports + "\nConfiguration checksum error, please try again, -1807109075, -1807109076\n" + k_renamed, "", 1},
  };
  // clang-format on
  for (const fault_row& r : rows) {
    SCOPED_TRACE(std::string(r.option) + " fault at " + std::to_string(r.at));
    g_image = mem_image{};
    ASSERT_TRUE(testimg::build("hdr=255aa", &g_image.bytes));
    if (r.kind == fault::read) g_image.fail_read_at = r.at;
    if (r.kind == fault::write) g_image.fail_write_at = r.at;
    if (r.kind == fault::corrupt) g_image.corrupt_write_at = r.at;
    if (r.kind == fault::short_io) g_image.short_at = r.at;
    g_image.fail_sync = r.kind == fault::sync;
    g_image.fail_close = r.kind == fault::close;
    const inproc_run run = run_inproc({"-F", "x/b.img", r.option}, r.input);
    EXPECT_EQ(run.out, r.out);
    EXPECT_EQ(run.err, r.err);
    EXPECT_EQ(g_image.writes.size(), r.writes);
    // A changed image, even one whose write failed, is flushed to the disk before it is closed.
    EXPECT_EQ(g_image.synced, r.writes > 0 || r.err.find("write image") != std::string::npos);
  }
}

// On a terminal, or with 2>&1, an error comes after what was printed before it.
TEST(Faults, ErrorsComeAfterWhatWasPrintedBefore) {
  g_image = mem_image{};
  ASSERT_TRUE(testimg::build("", &g_image.bytes));
  g_image.fail_read_at = 0xFF000;
  const inproc_run run = run_inproc({"-F", "x/b.img", "-L"}, "5\n");
  EXPECT_EQ(run.both, k_lldp_done.substr(0, k_lldp_done.size() - 1) + k_fail +
                          "read image at 0xff000: injected fault\n" + k_partly + "\n");
}

// The words reach the disk before the image is closed and renamed, and the
// rename reaches it after; an image renamed earlier today is not renamed.
TEST(Durability, ChangesLastInOrder) {
  // clang-format off
  struct row { const char* path; const char* option; bool fail_folder_sync; std::string log, out_end, err; };
  const row rows[] = {
      {"x/b.img", "-G", false, "open x/b.img\nsync\nclose\nrename x/b.img x/b_oem_0301.img\nsync folder of x/b_oem_0301.img\n", k_renamed, ""},
      {"x/b.img", "-G", true, "open x/b.img\nsync\nclose\nrename x/b.img x/b_oem_0301.img\nsync folder of x/b_oem_0301.img\n", "GPIO : 0x1234\n\n", k_fail + "save image x/b_oem_0301.img: no space left\n"},
      {"x/b_oem_0301.img", "-G", false, "open x/b_oem_0301.img\nsync\nclose\n", k_renamed, ""},
  };
  // clang-format on
  for (const row& r : rows) {
    SCOPED_TRACE(r.log);
    g_image = mem_image{};
    ASSERT_TRUE(testimg::build("", &g_image.bytes));
    g_image.fail_folder_sync = r.fail_folder_sync;
    const inproc_run run = run_inproc({"-F", r.path, r.option}, "1234\n");
    EXPECT_EQ(g_image.log, r.log);
    EXPECT_EQ(run.out.substr(run.out.size() - r.out_end.size()), r.out_end);
    EXPECT_EQ(run.err, r.err);
  }
}

}  // namespace
