#include "base/platform.h"
#include "cli/run.h"

int main(int argc, char** argv) {
  plat::set_binary_console();
  return run_tool(argc, argv);
}
