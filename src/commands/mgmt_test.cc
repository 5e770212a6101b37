// The LLDP header normalisation shows only in the header word written before
// the enable bit is recorded: the final header is the same either way for a
// word with bit 0 set, so it is pinned down on the sequence of writes.
#include "commands/mgmt.h"

#include <gtest/gtest.h>

#include "console_capture.h"
#include "image/board_id.h"
#include "image/oem_area.h"
#include "image_builder.h"
#include "mem_stream.h"

namespace {

std::vector<std::uint32_t> lldp_header_writes(std::uint32_t header) {
  testimg::recipe r;
  r.sub_sys_id = testimg::sub_sys_id(0x0110, 0x00, 4, false);
  r.oem_header = header;
  mem_stream img(testimg::build(r));
  g_cfg = sys_ctrl_t{};
  console_capture con("3\n");
  lldp_tx_cfg(img);
  EXPECT_EQ(img.writes(),
            (std::vector<std::uint32_t>{oem::k_lldp_tx, oem::k_header, oem::k_header}));
  std::vector<std::uint32_t> values = img.written_values();
  EXPECT_EQ(values.at(0), 3U);
  values.erase(values.begin());
  return values;
}

TEST(LldpHeader, NormalisedBeforeTheEnableBit) {
  using v = std::vector<std::uint32_t>;
  EXPECT_EQ(lldp_header_writes(0xFFFFFFFF), (v{0x000055AA, 0x008055AA}));
  EXPECT_EQ(lldp_header_writes(0x12340001), (v{0x000055AA, 0x008055AA}));
  EXPECT_EQ(lldp_header_writes(0x001355AA), (v{0x001355AA, 0x009355AA}));
  EXPECT_EQ(lldp_header_writes(0x12340000), (v{0x123455AA, 0x12B455AA}));
  EXPECT_EQ(lldp_header_writes(0x00001234), (v{0x000057BE, 0x008055AA}));
}

}  // namespace
