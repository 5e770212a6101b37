// Runs the built tool as an operator would: in a scratch directory, with a
// generated image, answers piped to its standard input, and its output and
// the image's words and name checked afterwards.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "image_builder.h"

namespace e2e {

struct result {
  std::string out;
  std::string err;
};

// A scratch directory, removed afterwards.
class scratch {
 public:
  scratch();
  ~scratch();
  scratch(const scratch&) = delete;
  scratch& operator=(const scratch&) = delete;

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& dir() const { return dir_; }

  // Writes an image; returns its bytes.
  std::vector<std::uint8_t> put_image(const std::string& name, const testimg::recipe& r) const;
  bool exists(const std::string& name) const;
  std::vector<std::uint8_t> image(const std::string& name) const;
  // Names of the files in the directory, sorted.
  std::vector<std::string> files() const;

  // Runs the tool in this directory with `args` (shell words) and `input` on
  // standard input.
  result run(const std::string& args, const std::string& input = "") const;

 private:
  std::string dir_;
};

// The shell words that start the tool: DORVANE_TOOL, else the tool on PATH.
std::string tool_command();

// True when the tool runs under Wine (some file-system cases cannot be shown there).
bool under_wine();

// The expected renamed name: base + "_oem" + today's tag + ".img", as run now.
std::string oem_name(const std::string& base);
// Finds the renamed image "<base>_oem_MMDD.img" in the directory; "" if none.
std::string find_oem_image(const scratch& s, const std::string& base);

// Common image recipes.
testimg::recipe qm_image(std::uint8_t phy, unsigned ports = 4, bool wol = false);
testimg::recipe zt_image(std::uint8_t phy, std::uint16_t device = 0x1001);

// The messages at the end of a run.
extern const char* const k_not_modified;
std::string renamed_line(const std::string& name);

// Image words by offset.
using word_map = std::map<std::uint32_t, std::uint32_t>;

// "" when the images are equal, else the first word that differs.
std::string first_difference(const std::vector<std::uint8_t>& got,
                             const std::vector<std::uint8_t>& want);

// Runs "-F board.img <option>" with `input` on an image made from `image`.
// The whole output must be `transcript` and the renamed-file line, and the
// renamed image the original with exactly the `changed` words.
void expect_configured(const testimg::recipe& image, const std::string& option,
                       const std::string& input, const std::string& transcript,
                       const word_map& changed);
// As above, for a run that writes nothing: `transcript` and the not-modified
// line, and the image keeps its name and every byte.
void expect_untouched(const testimg::recipe& image, const std::string& option,
                      const std::string& input, const std::string& transcript);

// What "-C" prints: the OEM header word, the other OEM area words (`rest`),
// the LLDP transmit word and the port mask word.
std::string listing(std::uint32_t header, std::uint32_t lldp, std::uint32_t mask,
                    std::uint32_t rest = 0xFFFFFFFF);

}  // namespace e2e
