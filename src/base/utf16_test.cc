#include "base/utf16.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf16, EveryNameSurvivesTheRoundTrip) {
  const std::pair<std::string, std::u16string> rows[] = {
      {"\xC3\xA9\xE6\xB5\x8B/\xE6\x9D\xBF\xF0\x9F\x98\x80.img",
       u"\u00E9\u6D4B/\u677F\U0001F600.img"},
      // The first and last code point of each length, and those beside the surrogates.
      {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80", u"\u007F\u0080\u07FF\u0800"},
      {"\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", u"\uD7FF\uE000\uFFFF"},
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"},
      // Lone surrogates, also beside another surrogate or U+E000, and a high one at the end.
      {"\xED\xA0\x80x\xED\xBF\xBF", {0xD800, u'x', 0xDFFF}},
      {"\xED\xB0\x80\xED\xB0\x80\xED\xAF\xBF\xEE\x80\x80", {0xDC00, 0xDC00, 0xDBFF, 0xE000}},
      {"a\xED\xAF\xBF", {u'a', 0xDBFF}},
  };
  for (const auto& [utf8, utf16] : rows) {
    EXPECT_EQ(text::utf16_from_utf8(utf8), utf16) << utf8;
    EXPECT_EQ(text::utf8_from_utf16(utf16), utf8) << utf8;
  }
  // Bytes that start no valid sequence: stray, cut short, overlong, beyond U+10FFFF.
  EXPECT_EQ(text::utf16_from_utf8(std::string("a\x80") + "b\xC3"), u"a\uFFFDb\uFFFD");
  EXPECT_EQ(text::utf16_from_utf8("\xC1\xBF\xE0\x9F\xBF\xF4\x90\x80\x80"),
            std::u16string(9, 0xFFFD));
}

TEST(Utf16, LongPathsTakeTheExtendedForm) {
  const std::u16string dir = u"C:\\" + std::u16string(251, u'd');
  EXPECT_EQ(text::long_path_form(dir + u"\\a.im"), dir + u"\\a.im");  // 259 characters
  EXPECT_EQ(text::long_path_form(dir + u"/a.img"), u"\\\\?\\" + dir + u"\\a.img");
  EXPECT_EQ(text::long_path_form(u"\\\\srv\\" + dir.substr(3) + u"\\a.img"),
            u"\\\\?\\UNC\\srv\\" + dir.substr(3) + u"\\a.img");
  EXPECT_EQ(text::long_path_form(u"\\\\?\\" + dir + u"\\a.img"), u"\\\\?\\" + dir + u"\\a.img");
}

TEST(Utf16, PrefixEndsOnAWholeCharacter) {
  const std::string s = "a\xE6\xB5\x8B\xF0\x9F\x98\x80z";  // a, a 3-byte and a 4-byte character, z
  // limit, in UTF-16 units or bytes, then the bytes and the units of the prefix
  // clang-format off
  for (const auto& [limit, utf16, bytes, units] : {std::tuple{3UL, false, 1UL, 1UL}, {7UL, false, 4UL, 4UL},
       {3UL, true, 4UL, 2UL}, {4UL, true, 8UL, 4UL}, {SIZE_MAX, true, 9UL, 5UL}}) {
    // clang-format on
    std::size_t used = 0;
    EXPECT_EQ(text::prefix_within(s, limit, utf16, &used), bytes) << limit;
    EXPECT_EQ(used, units) << limit;
  }
}

}  // namespace
