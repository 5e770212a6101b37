#include "commands/cmd_common.h"

#include "base/console.h"

namespace cmd {

bool refuse_family(board::family family, const char* message) {
  if (g_cfg.chip_family != family) return false;
  con_printf("%s\n", message);
  return true;
}

}  // namespace cmd
