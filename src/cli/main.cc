#include <algorithm>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/utf16.h"
#include "cli/run.h"

namespace {

int run_with(const std::vector<std::string>& args) {
  plat::set_binary_console();
  std::vector<const char*> argv(args.size());
  std::transform(args.begin(), args.end(), argv.begin(),
                 [](const std::string& a) { return a.c_str(); });
  return run_tool(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

#ifdef _WIN32
// The wide arguments (the build links with -municode), as UTF-8: no character
// of a path is lost to the ANSI code page.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) {
    const std::wstring arg = argv[i];
    args.push_back(text::utf8_from_utf16({arg.begin(), arg.end()}));
  }
  return run_with(args);
}
#else
int main(int argc, char** argv) { return run_with({argv, argv + argc}); }
#endif
