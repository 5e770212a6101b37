#include "base/utf16.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace text {

namespace {

// Length of the UTF-8 sequence that `lead` starts. A byte that starts none
// counts as one: a stray continuation byte, and C0 and C1, which could only
// start an overlong form.
std::size_t sequence_length(unsigned char lead) {
  return lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

constexpr std::uint32_t k_high_surrogate = 0xD800;
constexpr std::uint32_t k_low_surrogate = 0xDC00;
constexpr std::uint32_t k_supplementary = 0x10000;

// The code point of the sequence at s[i], n bytes long (a surrogate in its
// three-byte form included), or nothing when it is not a valid one.
std::optional<std::uint32_t> decode(const std::string& s, std::size_t i, std::size_t n) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (n == 1) return lead < 0x80 ? std::optional<std::uint32_t>(lead) : std::nullopt;
  if (i + n > s.size()) return std::nullopt;
  std::uint32_t c = lead & (0x7FU >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0U) != 0x80) return std::nullopt;
    c = c << 6 | (b & 0x3FU);
  }
  const std::uint32_t least[] = {0, 0, 0x80, 0x800, k_supplementary};
  return c >= least[n] && c <= 0x10FFFF ? std::optional<std::uint32_t>(c) : std::nullopt;
}

}  // namespace

std::u16string utf16_from_utf8(const std::string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = sequence_length(static_cast<unsigned char>(s[i]));
    const std::optional<std::uint32_t> decoded = decode(s, i, n);
    if (!decoded) n = 1;  // the replacement character, for one byte
    std::uint32_t c = decoded.value_or(0xFFFD);
    if (c >= k_supplementary) {
      c -= k_supplementary;
      out += static_cast<char16_t>(k_high_surrogate + (c >> 10));
      c = k_low_surrogate + (c & 0x3FFU);
    }
    out += static_cast<char16_t>(c);
    i += n;
  }
  return out;
}

std::string utf8_from_utf16(const std::u16string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    // After the last unit, s[i + 1] is the string's terminating null: no
    // low surrogate.
    if (c >= k_high_surrogate && c < k_low_surrogate && s[i + 1] >= k_low_surrogate &&
        s[i + 1] < 0xE000) {
      c = k_supplementary + ((c - k_high_surrogate) << 10) + (s[++i] - k_low_surrogate);
    }
    const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < k_supplementary ? 3 : 4;
    const unsigned lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(n == 1 ? c : lead[n] | c >> (6 * (n - 1)));
    for (int k = n - 2; k >= 0; --k) out += static_cast<char>(0x80U | (c >> (6 * k) & 0x3FU));
  }
  return out;
}

std::u16string long_path_form(const std::u16string& full_path) {
  constexpr std::size_t k_max_path = 260;
  if (full_path.size() < k_max_path || full_path.rfind(u"\\\\?\\", 0) == 0) return full_path;
  std::u16string p = full_path;
  std::replace(p.begin(), p.end(), u'/', u'\\');
  if (p.rfind(u"\\\\", 0) == 0) return u"\\\\?\\UNC\\" + p.substr(2);
  return u"\\\\?\\" + p;
}

std::size_t prefix_within(const std::string& s, std::size_t limit, bool utf16, std::size_t* units) {
  std::size_t bytes = 0;
  std::size_t used = 0;
  while (bytes < s.size()) {
    const std::size_t n =
        std::min(sequence_length(static_cast<unsigned char>(s[bytes])), s.size() - bytes);
    const std::size_t cost = utf16 ? (n == 4 ? 2 : 1) : n;
    if (used + cost > limit) break;
    used += cost;
    bytes += n;
  }
  if (units != nullptr) *units = used;
  return bytes;
}

}  // namespace text
