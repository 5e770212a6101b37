// Faults injected at the image I/O seam during a whole run.
#include "cli/run.h"

#include <gtest/gtest.h>

#include "console_capture.h"
#include "image/oem_area.h"
#include "image_builder.h"
#include "mem_stream.h"

namespace {

// The image the next run opens; the run takes ownership of a forwarding
// stream, so the test keeps the image to inspect afterwards.
mem_stream* g_image = nullptr;

class forwarding_stream : public img_stream {
 public:
  explicit forwarding_stream(mem_stream* target) : target_(target) {}
  bool read_at(std::uint32_t off, std::uint8_t* buf, std::size_t n) override {
    return target_->read_at(off, buf, n);
  }
  bool write_at(std::uint32_t off, const std::uint8_t* buf, std::size_t n) override {
    return target_->write_at(off, buf, n);
  }
  bool close(bool sync) override { return target_->close(sync); }
  std::string error_text() const override { return target_->error_text(); }

 private:
  mem_stream* target_;
};

std::unique_ptr<img_stream> open_injected(const std::string& /*path*/) {
  return std::make_unique<forwarding_stream>(g_image);
}

struct outcome {
  std::string out;
  std::string err;
};

outcome run_gpio(mem_stream* image, const std::string& answer) {
  g_image = image;
  console_capture con(answer);
  const char* argv[] = {"dorvane_oem_tool", "-F", "no_such_dir/board.img", "-G"};
  EXPECT_EQ(run_tool(4, argv, open_injected), 0);
  return {con.out(), con.err()};
}

mem_stream qm_image() {
  testimg::recipe r;
  r.sub_sys_id = testimg::sub_sys_id(0x0110, 0x00, 4, false);
  r.oem_header = 0x000255AA;
  return mem_stream(testimg::build(r));
}

TEST(RunFaults, FailedWordWriteIsReportedAndNotConfirmed) {
  mem_stream img = qm_image();
  img.fail_write_at = oem::k_gpio;
  const outcome o = run_gpio(&img, "1234\n");
  EXPECT_EQ(o.out, "Please input config val of GPIO :\n");
  EXPECT_EQ(o.err,
            "[ERROR] Fail to write image at 0xff004: injected fault\n"
            "[ERROR] Image no_such_dir/board.img may be only partly written; it keeps its name.\n");
  EXPECT_TRUE(img.writes().empty());
  EXPECT_EQ(img.word(oem::k_header), 0x000255AAU);
}

TEST(RunFaults, FailedHeaderReadLeavesTheHeaderAlone) {
  mem_stream img = qm_image();
  img.fail_read_at = oem::k_header;
  const outcome o = run_gpio(&img, "1234\n");
  EXPECT_EQ(img.writes(), std::vector<std::uint32_t>{oem::k_gpio});
  EXPECT_EQ(img.word(oem::k_header), 0x000255AAU);
  EXPECT_NE(o.err.find("[ERROR] Fail to read image at 0xff000: injected fault\n"),
            std::string::npos);
  EXPECT_EQ(o.out.find("[SUCCESS]"), std::string::npos);
}

TEST(RunFaults, UnreadableIdentityStopsTheRunBeforeTheCommand) {
  mem_stream img = qm_image();
  img.fail_read_at = 0xFFFDC;
  const outcome o = run_gpio(&img, "1234\n");
  EXPECT_EQ(o.out, "[WARN] File has not been modified.\n\n");
  EXPECT_EQ(o.err, "[ERROR] Fail to read image at 0xfffdc: injected fault\n");
  EXPECT_TRUE(img.writes().empty());
}

TEST(RunFaults, FailedCloseIsNotReportedAsSuccess) {
  mem_stream img = qm_image();
  img.fail_close = true;
  const outcome o = run_gpio(&img, "1234\n");
  EXPECT_TRUE(img.synced());
  EXPECT_EQ(img.word(oem::k_gpio), 0x1234U);
  EXPECT_EQ(o.out.find("[SUCCESS]"), std::string::npos);
  EXPECT_EQ(o.err,
            "[ERROR] Fail to save image no_such_dir/board.img: injected fault\n"
            "[ERROR] Image no_such_dir/board.img may be only partly written; it keeps its name.\n");
}

TEST(RunFaults, OnlyAChangedImageIsSyncedBeforeTheRename) {
  mem_stream unchanged = qm_image();
  const outcome o1 = run_gpio(&unchanged, "");
  EXPECT_FALSE(unchanged.synced());
  EXPECT_TRUE(unchanged.writes().empty());
  EXPECT_EQ(o1.out,
            "Please input config val of GPIO :\nERROR, no more input, nothing written\n"
            "[WARN] File has not been modified.\n\n");

  mem_stream changed = qm_image();
  const outcome o2 = run_gpio(&changed, "1234\n");
  EXPECT_TRUE(changed.synced());
  // The path does not exist on disk, so the rename itself fails, and says so.
  EXPECT_EQ(o2.err.rfind("[ERROR] Error renaming file: ", 0), 0U) << o2.err;
  EXPECT_EQ(changed.word(oem::k_header), 0x000355AAU);
}

}  // namespace
