#include "image/oem_area.h"

namespace oem {

std::uint32_t header_with_enable(std::uint32_t header, std::uint32_t enable_bit) {
  if (!has_signature(header)) header = 0;
  header &= ~enable_bit;
  return header | enable_bit | k_signature;
}

}  // namespace oem

void oem_config_switch(img_stream& stream, std::uint32_t /*offset*/, std::uint32_t enable_bit) {
  std::uint32_t header = 0;
  // A header that cannot be read is left alone rather than rebuilt from
  // nothing, which would drop the enable bits of earlier runs.
  if (!rd_img(stream, oem::k_header, &header)) return;
  wt_img(stream, oem::k_header, oem::header_with_enable(header, enable_bit));
}
