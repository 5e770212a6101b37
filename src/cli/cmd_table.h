// The dispatch table: one handler slot per option letter.
#pragma once

#include "image/img_io.h"

using oem_cmd_fn = void (*)(img_stream& stream);

constexpr int k_cmd_slots = 24;
// Length of the option-letter table: 14 letters followed by NULs.
constexpr int k_option_letter_slots = 20;

// Slots 0-13 hold the handlers in option-letter order; 14-23 are empty.
extern const oem_cmd_fn oem_cmd_table[k_cmd_slots];
