// After a failed read or write the image takes no more words, and each
// refusal says so to its caller.
#include "image/img_io.h"

#include <gtest/gtest.h>

#include "image_builder.h"
#include "inproc.h"

namespace {

TEST(ImageWords, NoWordIsWrittenAfterAFailure) {
  g_image = mem_image{};
  ASSERT_TRUE(testimg::build("", &g_image.bytes));
  g_image.fail_read_at = 0xFF000;
  std::uint32_t word = 7;
  bool wrote = true;
  const console_text shown = capture_console([&] {
    file_img_stream stream(3);
    EXPECT_FALSE(rd_img(stream, 0xFF000, &word));
    wrote = wt_img(stream, 0xFF004, 1) || wt_img(stream, 0xFF008, 2);
  });
  EXPECT_FALSE(wrote);
  EXPECT_EQ(word, 7U);
  EXPECT_TRUE(g_image.writes.empty());
  EXPECT_EQ(shown.err, "[ERROR] Fail to read image at 0xff000: injected fault\n");
}

}  // namespace
