#include "image/oem_area.h"

#include <gtest/gtest.h>

#include "image_builder.h"
#include "mem_stream.h"

namespace {

TEST(HeaderUpdate, SignatureAndEnableBits) {
  EXPECT_EQ(oem::header_with_enable(0xFFFFFFFF, 0x10000), 0x000155AAU);
  EXPECT_EQ(oem::header_with_enable(0x000255AA, 0x10000), 0x000355AAU);
  EXPECT_EQ(oem::header_with_enable(0x000355AA, 0x20000), 0x000355AAU);
  EXPECT_EQ(oem::header_with_enable(0x00001234, 0x800000), 0x008055AAU);
  EXPECT_EQ(oem::header_with_enable(0x12B455AA, 0x800000), 0x12B455AAU);
}

TEST(HeaderUpdate, WritesOnlyTheHeaderWord) {
  testimg::recipe r;
  r.oem_header = 0x000255AA;
  mem_stream img(testimg::build(r));
  g_file_modified = 0;
  oem_config_switch(img, oem::k_gpio, oem::k_en_gpio);
  EXPECT_EQ(img.word(oem::k_header), 0x000355AAU);
  EXPECT_EQ(img.writes(), std::vector<std::uint32_t>{oem::k_header});
  EXPECT_EQ(g_file_modified, 1);
}

TEST(HeaderUpdate, UnreadableHeaderIsNotRebuilt) {
  testimg::recipe r;
  r.oem_header = 0x000255AA;
  mem_stream img(testimg::build(r));
  img.fail_read_at = oem::k_header;
  oem_config_switch(img, oem::k_gpio, oem::k_en_gpio);
  EXPECT_TRUE(img.writes().empty());
  EXPECT_TRUE(img.failed());
  EXPECT_EQ(img.word(oem::k_header), 0x000255AAU);
}

}  // namespace
