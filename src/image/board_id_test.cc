#include "image/board_id.h"

#include <gtest/gtest.h>

#include "console_capture.h"
#include "image_builder.h"
#include "mem_stream.h"

namespace {

struct identified {
  sys_ctrl_t cfg;
  std::string out;
};

identified identify(std::uint32_t sub_sys_id, std::uint32_t port_mask) {
  testimg::recipe r;
  r.sub_sys_id = sub_sys_id;
  r.port_mask = port_mask;
  mem_stream img(testimg::build(r));
  console_capture con;
  sys_ctrl_t cfg{};
  check_chip_type(img, &cfg.chip_family, &cfg.phy_type);
  if (cfg.chip_family == board::k_family_qm) fw_load_config(&cfg, img);
  EXPECT_TRUE(img.writes().empty());
  return {cfg, con.out()};
}

TEST(Identification, DeviceIdentifierIsStoredHighByteFirst) {
  // bytes 03 52 01 10: device 0x0110, QM, PHY 0x52, three ports
  identified id = identify(0x10015203, 0x7);
  EXPECT_EQ(id.cfg.chip_family, board::k_family_qm);
  EXPECT_EQ(id.cfg.phy_type, 'M');
  EXPECT_EQ(id.cfg.max_port_num, 3);
  EXPECT_EQ(id.cfg.cur_port_num, 3);
  EXPECT_EQ(id.out, "");

  // bytes 04 00 10 01: device 0x1001, ZT, PHY 0x00; ZT fills family and letter only
  id = identify(0x01100004, 0x7);
  EXPECT_EQ(id.cfg.chip_family, board::k_family_zt);
  EXPECT_EQ(id.cfg.phy_type, 'I');
  EXPECT_EQ(id.cfg.max_port_num, 0);
  EXPECT_EQ(id.cfg.cur_port_num, 0);

  EXPECT_EQ(identify(testimg::sub_sys_id(0x2001, 0x10, 2, true), 0xF).cfg.chip_family,
            board::k_family_zt);
  EXPECT_EQ(identify(testimg::sub_sys_id(0x0120, 0x10, 2, true), 0xF).cfg.chip_family,
            board::k_family_qm);
}

TEST(Identification, QmPhyLetters) {
  const std::pair<std::uint8_t, char> table[] = {
      {0x03, 'F'}, {0x50, 'F'}, {0x51, 'C'}, {0x52, 'M'}, {0x60, 'Y'}, {0x61, 'Y'},
      {0x62, 'Y'}, {0x64, 'Y'}, {0x70, 'Y'}, {0x80, 'O'}, {0x90, 'E'}, {0xA0, 'A'},
      {0x00, 'I'}, {0x63, 'I'}, {0x53, 'I'}, {0xFF, 'I'}};
  for (const auto& [phy, letter] : table) {
    EXPECT_EQ(board::qm_phy_letter(phy), letter) << std::hex << int{phy};
  }
}

TEST(Identification, ZtPhyLettersByUpperNibble) {
  struct row {
    std::uint8_t phy;
    char letter;
    bool unknown;
  };
  const row table[] = {{0x00, 'I', false}, {0x3F, 'I', false}, {0x41, 'I', false},
                       {0x6A, 'I', false}, {0x10, 'E', false}, {0x2C, 'E', false},
                       {0x55, 'E', false}, {0x70, 'E', true},  {0x9A, 'E', true},
                       {0xFF, 'E', true}};
  for (const row& r : table) {
    bool unknown = false;
    EXPECT_EQ(board::zt_phy_letter(r.phy, &unknown), r.letter) << std::hex << int{r.phy};
    EXPECT_EQ(unknown, r.unknown) << std::hex << int{r.phy};
  }
  EXPECT_EQ(identify(testimg::sub_sys_id(0x1001, 0x9A, 2, false), 0xF).out, "phy id unknown\n");
}

TEST(Identification, PortCountsAndWol) {
  identified id = identify(testimg::sub_sys_id(0x0110, 0x00, 4, true), 0x7);
  EXPECT_EQ(id.cfg.cur_port_num, 3);
  EXPECT_EQ(id.cfg.wol_support, 1);
  id = identify(testimg::sub_sys_id(0x0110, 0x00, 2, false), 0xF);
  EXPECT_EQ(id.cfg.cur_port_num, 2);
  EXPECT_EQ(id.cfg.wol_support, 0);
  id = identify(testimg::sub_sys_id(0x0110, 0x00, 4, false), 0x5);
  EXPECT_EQ(id.cfg.cur_port_num, 4);
  id = identify(testimg::sub_sys_id(0x0110, 0x00, 4, false), 0xF1);  // only the low 4 bits count
  EXPECT_EQ(id.cfg.cur_port_num, 1);
  for (unsigned ports : {0U, 5U, 6U, 7U}) {
    id = identify(testimg::sub_sys_id(0x0110, 0x00, ports, false), 0x3);
    EXPECT_EQ(id.cfg.max_port_num, ports);
    EXPECT_EQ(id.out, "sid port num " + std::to_string(ports) + " unsupport\n");
  }
}

TEST(Identification, ErasedSubSystemId) {
  const identified id = identify(0xFFFFFFFF, 0x1);
  EXPECT_EQ(id.cfg.chip_family, board::k_family_qm);
  EXPECT_EQ(id.cfg.phy_type, 'I');
  EXPECT_EQ(id.cfg.max_port_num, 4);
  EXPECT_EQ(id.cfg.cur_port_num, 4);
  EXPECT_EQ(id.cfg.wol_support, 0);
  EXPECT_EQ(id.out, "sub sys id unsupport !");
}

}  // namespace
