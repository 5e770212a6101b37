// Faults injected at the image I/O seam during whole runs: a read or write
// failing or cut short mid-command, a failed sync or close, a header block
// that reads back other than it was written, a folder that cannot be flushed
// after the rename. Each is reported once, after what was printed before it,
// nothing is confirmed that did not happen, and a half-written image keeps
// its name.
#include "cli/run.h"

#include <gtest/gtest.h>

#include "image_builder.h"
#include "inproc.h"

namespace {

// clang-format off
// The output as a terminal shows it: `before`, the error stream's `err`, `after`; then the
// words written, and the calls that make a change last, in their order, the image held until the end.
struct fault_row { const char* option; const char* input; fault kind; std::uint32_t at; std::string before, err, after; std::size_t writes; std::string log; };

const std::string k_gpio = "Please input config val of GPIO :";
const std::string k_gpio_done = k_gpio + "\nConfiguration completed successfully\n    GPIO : 0x1234\n";
const std::string k_lldp_done = "Please input config val of LLDP TX :\nConfiguration completed successfully, LLDP TX config : 0x5\n";
const std::string k_ports = "current port num : 4, max port num : 4\nPlease input the number of disabled network ports:";
const std::string k_kept = "[WARN] File has not been modified.\n\n";
const std::string k_partly = "[ERROR] Image x/b.img may be only partly written; it keeps its name.\n";
const std::string k_fail = "[ERROR] Fail to ";
const std::string k_closed = "open x/b.img\nclose 3\nclose 4\n";
const std::string k_synced = "open x/b.img\nsync\nclose 3\nclose 4\n";
const std::string k_moved = "open x/b.img\nsync\nclose 3\nrename x/b.img x/b_oem_0301.img\nsync folder of x/b_oem_0301.img\nclose 4\n";
const std::string k_copy = "[ERROR] The folder of x/b.img cannot change a file in place: copy the image to a local folder.\n";
// clang-format on

TEST(Faults, AreReportedOnceInTheirPlaceAndNeverCalledSuccess) {
  // clang-format off
  const fault_row rows[] = {
      {"-G", "1234\n", fault::write, 0xFF004, k_gpio, k_fail + "write image at 0xff004: injected fault\n" + k_partly, "\n", 0, k_synced},
      {"-G", "1234\n", fault::short_io, 0xFF004, k_gpio, k_fail + "write image at 0xff004: short write\n" + k_partly, "\n", 0, k_synced},
      {"-G", "1234\n", fault::read, 0xFF000, k_gpio_done, k_fail + "read image at 0xff000: injected fault\n" + k_partly, "\n", 1, k_synced},
      {"-G", "1234\n", fault::read, 0xFFFDC, "", k_fail + "read image at 0xfffdc: injected fault\n", k_kept, 0, k_closed},
      {"-G", "1234\n", fault::read, 0x16C, "", k_fail + "read image at 0x16c: injected fault\n", k_kept, 0, k_closed},
      // -S reads the slave address in effect before it asks whether to change it.
      {"-S", "0\n", fault::read, 0xFF014, "Please input config val of SMBUS ARP, 1 : enable arp  0 : disable arp :", k_fail + "read image at 0xff014: injected fault\n", k_kept, 0, k_closed},
      {"-G", "1234\n", fault::sync, 0, k_gpio_done, k_fail + "save image x/b.img: injected fault\n" + k_partly, "\n", 2, k_synced},
      {"-G", "1234\n", fault::close, 0, k_gpio_done, k_fail + "save image x/b.img: injected fault\n" + k_partly, "\n", 2, k_synced},
      // A sync between the blocks of -L and of -0 that fails: nothing is written after it.
      {"-L", "5\n", fault::sync, 0, k_lldp_done, k_fail + "save image x/b.img: injected fault\n" + k_partly, "\n", 1, k_synced},
      {"-0", "", fault::sync, 0, "", k_fail + "save image x/b.img: injected fault\n" + k_partly, "\n", 11, k_synced},
      {"-L", "5\n", fault::read, 0xFF000, k_lldp_done, k_fail + "read image at 0xff000: injected fault\n" + k_partly, "\n", 1, k_synced},
      {"-0", "", fault::write, 0xFF010, "", k_fail + "write image at 0xff010: injected fault\n" + k_partly, "\n", 4, k_synced},
      {"-N", "1\n", fault::read, 0xFD400, k_ports, k_fail + "read image at 0xfd400: injected fault\n", k_kept, 0, k_closed},
      {"-N", "1\n", fault::short_io, 0xFD400, k_ports, k_fail + "read image at 0xfd400: unexpected end of file\n", k_kept, 0, k_closed},
      {"-N", "1\n", fault::write, 0x0, k_ports, k_fail + "write image at 0x0: injected fault\n" + k_partly, "\n", 0, k_synced},
      {"-G", "1234\n", fault::folder_sync, 0, k_gpio_done, k_fail + "save image x/b_oem_0301.img: no space left\n", "\n", 2, k_moved},
      // The sums are signed, the read-back's first; the image is not saved as asked.
      // A folder that cannot change a file in place refuses the open for update.
      {"-G", "1234\n", fault::in_place, 1, "[Error] Fail to open file!\n", "[ERROR] Fail to open x/b.img: refused\n" + k_copy, "", 0, "open x/b.img\n"},
      {"-N", "1\n", fault::corrupt, 0x0, k_ports + "\nConfiguration checksum error, please try again, -1807109075, -1807109076\n", k_partly, "\n", 1, k_synced},
  };
  // clang-format on
  for (const fault_row& r : rows) {
    SCOPED_TRACE(std::string(r.option) + " fault at " + std::to_string(r.at));
    g_image = mem_image{};
    ASSERT_TRUE(testimg::build("hdr=255aa", &g_image.bytes));
    g_image.fails = r.kind, g_image.fault_at = r.at;
    const std::vector<std::uint8_t> before = g_image.bytes;
    const inproc_run run = run_inproc({"-F", "x/b.img", r.option}, r.input);
    EXPECT_EQ(run.both, r.before + r.err + r.after);
    EXPECT_EQ(run.err, r.err);
    EXPECT_EQ(g_image.writes.size(), r.writes);
    // A changed image, even one whose write failed, is flushed before it is closed; a whole
    // one is renamed after, and its folder flushed; only then do other runs get it.
    EXPECT_EQ(g_image.log, r.log);
    EXPECT_EQ(unsafe_cuts(before), 0);
  }
}

// Reads refused by a folder that cannot change a file in place: after the run's own lines, one that
// says what to do.
TEST(Faults, AFolderThatCannotChangeAFileInPlaceIsNamed) {
  g_image = mem_image{};
  ASSERT_TRUE(testimg::build("", &g_image.bytes));
  g_image.fails = fault::in_place, g_image.fault_at = 0xFFFDC;
  EXPECT_EQ(run_inproc({"-F", "x/b.img", "-G"}, "1\n").both,
            k_fail + "read image at 0xfffdc: injected fault\n[WARN] File has not been modified.\n" +
                k_copy + "\n");
}

// After a failed read the image takes no more words, and says so to the caller.
TEST(Faults, NoWordIsWrittenAfterAFailure) {
  g_image = mem_image{};
  ASSERT_TRUE(testimg::build("", &g_image.bytes));
  g_image.fails = fault::read, g_image.fault_at = 0xFF000;
  file_img_stream stream(plat::file(3), plat::file());
  std::uint32_t word = 7;
  EXPECT_FALSE(rd_img(stream, 0xFF000, &word) || wt_img(stream, 0xFF004, 1));
  EXPECT_EQ(word, 7U);
  EXPECT_TRUE(g_image.writes.empty());
}

}  // namespace
