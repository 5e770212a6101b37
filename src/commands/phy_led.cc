#include "commands/phy_led.h"

#include "base/console.h"
#include "commands/cmd_common.h"
#include "commands/value_prompt.h"
#include "image/oem_area.h"

namespace {

// `width` bits from bit `lo` of a LED word.
struct field {
  unsigned lo;
  unsigned width;
  constexpr std::uint32_t mask() const { return ((1U << width) - 1U) << lo; }
  constexpr std::uint32_t of(std::uint32_t word) const { return (word & mask()) >> lo; }
};

// The fields of PHY LED word 0 as "-I" and "-M" write it; an entry keeps
// only the bits of its fields.
constexpr field k_inner_led{0, 16};
constexpr field k_inner_polarity{16, 8};
constexpr std::uint32_t k_inner_mask = k_inner_led.mask() | k_inner_polarity.mask();
constexpr field k_mv_led{0, 8};
constexpr field k_mv_polarity{16, 4};
constexpr field k_mv_blink_freq{22, 3};
constexpr std::uint32_t k_mv_mask = k_mv_led.mask() | k_mv_polarity.mask() | k_mv_blink_freq.mask();

constexpr std::int32_t k_choice_rtl8211f = 1;
constexpr std::int32_t k_choice_jl2201 = 2;

// Asks for two values and packs them as the low and high 16-bit fields.
std::optional<std::uint32_t> ask_pair(const char* low_prompt, const char* high_prompt) {
  const auto low = prompt::ask_value(low_prompt, prompt::radix::hex);
  if (!low) return std::nullopt;
  const auto high = prompt::ask_value(high_prompt, prompt::radix::hex);
  if (!high) return std::nullopt;
  return cmd::pack16(*low, *high);
}

static_assert(oem::k_phy_led1 == oem::k_phy_led0 + 4 && oem::k_x3310_led1 == oem::k_x3310_led0 + 4,
              "the two LED words of -Y and of -X are adjacent");

// Writes two adjacent LED words with one write, so that a run killed midway
// never leaves a feature that is already on over one new word and one old.
bool wt_pair(img_stream& stream, std::uint32_t offset, std::uint32_t first, std::uint32_t second) {
  const std::uint32_t words[] = {first, second};
  return wt_words(stream, offset, words, 2);
}

}  // namespace

void inner_led_cfg(img_stream& stream) {
  if (g_cfg.phy_type != 'I') {
    con_printf("\nCurrent phy type %c, not INNER Phy\n", g_cfg.phy_type);
    return;
  }
  const auto entry =
      prompt::ask_value("Please input config val of Inner Phy LED :", prompt::radix::hex);
  if (!entry) return;
  const std::uint32_t word = static_cast<std::uint32_t>(*entry) & k_inner_mask;
  if (!wt_img(stream, oem::k_phy_led0, word)) return;
  con_printf("    Polarity : 0x%x  LED : 0x%x\n", k_inner_polarity.of(word), k_inner_led.of(word));
  con_printf("%s", cmd::k_completed_bang);
  oem_config_switch(stream, oem::k_phy_led0, oem::k_en_phy_led);
}

void yt8521s_oem_cfg(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt)) return;
  if (g_cfg.phy_type != 'Y') {
    con_printf("Current phy type %c, not YT Phy\n", g_cfg.phy_type);
    return;
  }
  const auto word0 = ask_pair("Please input config val of YT Phy LED0 :",
                              "Please input config val of YT Phy LED1 :");
  if (!word0) return;
  const auto word1 = ask_pair("Please input config val of YT Phy LED2 :",
                              "Please input config val of YT Phy LED blink cfg :");
  if (!word1) return;
  if (!wt_pair(stream, oem::k_phy_led0, *word0, *word1)) return;
  con_printf("%s", cmd::k_completed_colon);
  con_printf("    LED0 : 0x%x  LED1 : 0x%x  LED2 : 0x%x  LED blink : 0x%x\n", cmd::low16(*word0),
             cmd::high16(*word0), cmd::low16(*word1), cmd::high16(*word1));
  oem_config_switch(stream, oem::k_phy_led0, oem::k_en_phy_led);
}

void mv1512_oem_cfg(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt)) return;
  const char t = g_cfg.phy_type;
  if (t != 'F' && t != 'C' && t != 'M') {
    con_printf("Current phy type %c, not MV Phy\n", t);
    return;
  }
  const auto entry =
      prompt::ask_value("Please input config val of MV Phy LED :", prompt::radix::hex);
  if (!entry) return;
  const std::uint32_t word = static_cast<std::uint32_t>(*entry) & k_mv_mask;
  if (!wt_img(stream, oem::k_phy_led0, word)) return;
  con_printf("%s", cmd::k_completed_bang);
  con_printf("    Polarity : 0x%x  LED : 0x%x  Blink_freq : 0x%x\n", k_mv_polarity.of(word),
             k_mv_led.of(word), k_mv_blink_freq.of(word));
  oem_config_switch(stream, oem::k_phy_led0, oem::k_en_phy_led);
}

void ext_phy_oem_cfg(img_stream& stream) {
  if (cmd::refuse_family(board::family::zt)) return;
  if (g_cfg.phy_type != 'E') {
    con_printf("Current phy type %c, not EXT Phy ID\n", g_cfg.phy_type);
    return;
  }
  const auto choice = prompt::ask_value(
      "input 1 to config RTL8211F PHY LED.\ninput 2 to config JL2201 PHY LED.\nPlease input your "
      "number:",
      prompt::radix::hex, [](std::int32_t v) {
        if (v == k_choice_rtl8211f || v == k_choice_jl2201) return true;
        con_printf("Illegal input, Please try again!\n");
        return false;
      });
  if (!choice) return;
  const bool rtl = *choice == k_choice_rtl8211f;
  const auto entry = prompt::ask_value(rtl ? "Please input config val of RTL8211F PHY LED:"
                                           : "Please input config val of JL2201 PHY LED:",
                                       prompt::radix::hex);
  if (!entry) return;
  const std::uint32_t word =
      rtl ? static_cast<std::uint32_t>(*entry) : cmd::low16(static_cast<std::uint32_t>(*entry));
  con_printf("%s", cmd::k_completed_colon);
  con_printf(" LED configuration : 0x%x\n", word);
  if (!wt_img(stream, oem::k_phy_led0, word)) return;
  oem_config_switch(stream, oem::k_phy_led0, oem::k_en_phy_led);
}

void mv_88x3310phy_led_cfg(img_stream& stream) {
  if (cmd::refuse_family(board::family::qm)) return;
  if (g_cfg.phy_type != 'E') {
    con_printf("Current phy type %c, not Marvell Phy\n", g_cfg.phy_type);
    return;
  }
  const auto word0 = ask_pair("Please input config val of MV88X3310 Phy LED0 :",
                              "Please input config val of MV88X3310 Phy LED1 :");
  if (!word0) return;
  const auto word1 = ask_pair("Please input config val of MV88X3310 Phy LED2 :",
                              "Please input config val of MV88X3310 Phy LED3 :");
  if (!word1) return;
  if (!wt_pair(stream, oem::k_x3310_led0, *word0, *word1)) return;
  con_printf("%s", cmd::k_completed_colon);
  con_printf("    LED0 : 0x%x  LED1 : 0x%x  LED2 : 0x%x  LED3 : 0x%x\n", cmd::low16(*word0),
             cmd::high16(*word0), cmd::low16(*word1), cmd::high16(*word1));
  oem_config_switch(stream, oem::k_x3310_led0, oem::k_en_x3310_led);
}
