#include "cli/run.h"
#include "image/platform.h"

int main(int argc, char** argv) {
  plat::set_binary_console();
  return run_tool(argc, argv);
}
