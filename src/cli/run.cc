#include "cli/run.h"

#include <utility>

#include "base/console.h"
#include "base/platform.h"
#include "cli/cmd_table.h"
#include "cli/options.h"
#include "cli/rename.h"
#include "image/board_id.h"
#include "image/oem_area.h"

namespace {

void tell_to_copy(const std::string& path) {
  con_errorf(
      "[ERROR] The folder of %s cannot change a file in place: copy the image to a local "
      "folder.\n",
      path.c_str());
}

}  // namespace

std::unique_ptr<img_stream> open_image_file(const std::string& path, plat::open_mode mode) {
  plat::open_result r = plat::open_image(path, mode);
  switch (r.status) {
    case plat::open_status::cannot_open:
    case plat::open_status::no_update_in_place:
      con_printf("[Error] Fail to open file!\n");
      break;
    case plat::open_status::not_regular:
      con_printf("[Error] %s is not a regular file!\n", path.c_str());
      break;
    case plat::open_status::in_use:
      con_printf("[Error] %s is in use by another program!\n", path.c_str());
      break;
    case plat::open_status::symbolic_link:
      con_printf("[Error] %s is a symbolic link to %s: name the image itself!\n", path.c_str(),
                 r.why.c_str());
      return nullptr;
    case plat::open_status::other_names:
      con_printf(
          "[Error] %s also has other names (hard links); changing it would change them too!\n",
          path.c_str());
      break;
    case plat::open_status::ok:
      break;
  }
  if (!r.why.empty()) con_errorf("[ERROR] Fail to open %s: %s\n", path.c_str(), r.why.c_str());
  if (r.status == plat::open_status::no_update_in_place) tell_to_copy(path);
  if (r.status != plat::open_status::ok) return nullptr;
  auto stream = std::make_unique<file_img_stream>(std::move(r.image), std::move(r.hold));
  if (r.size < oem::k_image_size) {
    con_printf("[Error] Image file is too small: %llu bytes, at least %u expected!\n",
               static_cast<unsigned long long>(r.size), static_cast<unsigned>(oem::k_image_size));
    return nullptr;
  }
  return stream;
}

void run_command(int slot, img_stream& stream) {
  // Identity words that could not be read leave nothing to judge the
  // command by: it is not run.
  const std::uint32_t sub_sys_id = fw_get_sub_sys_id(stream);
  if (stream.failed()) return;
  check_chip_type(sub_sys_id, &g_cfg.chip_family, &g_cfg.phy_type);
  if (g_cfg.chip_family == board::family::qm) {
    const std::uint32_t port_mask = fw_get_port_mask(stream);
    if (stream.failed()) return;
    fw_load_config(&g_cfg, sub_sys_id, port_mask);
  }
  oem_cmd_table[slot].handler(stream);
}

namespace {

void run_on_image(const std::string& path, int slot, image_opener opener) {
  const plat::open_mode mode = oem_cmd_table[slot].mode;
  std::unique_ptr<img_stream> stream = opener(path, mode);
  if (!stream) return;
  run_command(slot, *stream);
  const bool modified = g_file_modified;
  const bool closed = stream->close(modified);
  if (!closed) {
    con_errorf("[ERROR] Fail to save image %s: %s\n", path.c_str(), stream->error_text().c_str());
  }
  if (modified && (stream->failed() || !closed)) {
    con_errorf("[ERROR] Image %s may be only partly written; it keeps its name.\n", path.c_str());
  } else {
    rename_file(path, modified, stream->hold());
  }
  if (mode == plat::open_mode::update && stream->refused_in_place()) tell_to_copy(path);
  con_printf("\n");
}

}  // namespace

int run_tool(int argc, const char* const* argv, image_opener opener) {
  g_cfg = sys_ctrl_t{};
  g_file_modified = false;
  if (argc < 2) {
    option_display();
    return 0;
  }
  const arg_kind kind = parse_cmd(argv[1]);
  const std::optional<int> slot = argc >= 4 ? parse_cmd2(argv[3]) : std::nullopt;
  switch (kind) {
    case arg_kind::help:
    case arg_kind::unknown:
      option_display();
      break;
    case arg_kind::file:
      if (slot) {
        run_on_image(argv[2], *slot, opener);
      } else {
        usage_display();
      }
      break;
    case arg_kind::version:
      version_display();
      break;
  }
  return 0;
}
