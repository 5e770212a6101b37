// The dispatch table: one handler slot per option letter.
#pragma once

#include <string_view>

#include "image/img_io.h"

using oem_cmd_fn = void (*)(img_stream& stream);

// The option letters in slot order: the position of a letter is its slot.
constexpr std::string_view k_option_letters = "IYMEPXGSLWNDC0";

// One handler per option letter, in the same order.
extern const oem_cmd_fn oem_cmd_table[];

// True for the slot of the one command that only reads the image (the listing).
bool only_reads(int slot);
