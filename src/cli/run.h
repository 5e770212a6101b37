// The whole run: arguments, image open and check, identification, one
// command, close, rename.
#pragma once

#include <memory>
#include <string>

#include "base/platform.h"
#include "image/img_io.h"

// Opens the image for a run, for reading only or for a change; prints the
// refusal and returns null when the path cannot be used.
using image_opener = std::unique_ptr<img_stream> (*)(const std::string& path, plat::open_mode mode);

// Opens the image file on disk, refusing what is not a regular file of at
// least 1 MiB; where the system gives a reason, it follows on the error stream.
std::unique_ptr<img_stream> open_image_file(const std::string& path, plat::open_mode mode);

// Identification and the command in `slot`, on an open image.
void run_command(int slot, img_stream& stream);

// The run for the given arguments; always returns 0.
int run_tool(int argc, const char* const* argv, image_opener opener = open_image_file);
