// PHY LED commands: one per kind of PHY.
#pragma once

#include "image/img_io.h"

void inner_led_cfg(img_stream& stream);          // -I
void yt8521s_oem_cfg(img_stream& stream);        // -Y
void mv1512_oem_cfg(img_stream& stream);         // -M
void ext_phy_oem_cfg(img_stream& stream);        // -E
void mv_88x3310phy_led_cfg(img_stream& stream);  // -X
