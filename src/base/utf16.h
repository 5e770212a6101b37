// Names as Windows wants them at its wide ("W") interfaces. The tool keeps
// every name as UTF-8 and converts only at the system's edge; the conversions
// are pure, so that every platform tests them.
#pragma once

#include <cstddef>
#include <string>

namespace text {

// UTF-8 to UTF-16. A byte that starts no valid sequence becomes U+FFFD; the
// three-byte form of a lone surrogate (as utf8_from_utf16 writes it) gives
// the surrogate back, so that every Windows name survives the round trip.
std::u16string utf16_from_utf8(const std::string& s);

// UTF-16 to UTF-8; a lone surrogate is written in the three-byte form.
std::string utf8_from_utf16(const std::u16string& s);

// A full Windows path of 260 characters (MAX_PATH) or more in the "\\?\"
// form that lifts that limit ("\\?\UNC\server\share\..." for a share), with
// its slashes turned into backslashes, as that form wants; a shorter path,
// or one in that form already, as it is.
std::u16string long_path_form(const std::u16string& full_path);

// The number of bytes of the longest prefix of `s` that ends on a whole
// character and takes at most `limit` units: bytes, or UTF-16 units when
// `utf16` is set. The units it takes go to *units when that is given.
std::size_t prefix_within(const std::string& s, std::size_t limit, bool utf16,
                          std::size_t* units = nullptr);

}  // namespace text
