// Listing the configuration words and erasing the OEM area.
#pragma once

#include "image/img_io.h"

void show_cfg_simple(img_stream& stream);
void recover_img_oem_area(img_stream& stream);
