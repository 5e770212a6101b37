// The dispatch table: one row per option letter.
#pragma once

#include <optional>

#include "base/platform.h"
#include "image/img_io.h"

using oem_cmd_fn = void (*)(img_stream& stream);

// An option: its letter, its handler and how it opens the image.
struct oem_cmd {
  char letter;
  oem_cmd_fn handler;
  plat::open_mode mode;
};

// The options; a row's position is its slot.
extern const oem_cmd oem_cmd_table[];

// The slot of the option `letter`; nothing when no option has it.
std::optional<int> find_slot(char letter);
