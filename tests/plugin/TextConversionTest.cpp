// Both UTF-8 conversions over counted texts.
#include "plugin/TextConversion.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConversion, ConvertsBothWaysWithExactLengths) {
  struct Case {
    std::wstring wide;
    std::string utf8;
  };
  const Case cases[] = {
      {L"", ""},
      {L"abc", "abc"},
      {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
      {L"\u00e9", "\xC3\xA9"},
      {L"\u20ac", "\xE2\x82\xAC"},
      {L"\U0001F600", "\xF0\x9F\x98\x80"},
      {std::wstring(L"\0", 1), std::string("\0", 1)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
    EXPECT_EQ(WideToUtf8(c.wide).size(), c.utf8.size());
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
    EXPECT_EQ(Utf8ToWide(c.utf8).size(), c.wide.size());
  }
}

TEST(TextConversion, MalformedInputGivesTextNotFailure) {
  // The platform's default handling: a broken sequence still yields output,
  // and nothing is raised.
  EXPECT_FALSE(Utf8ToWide("a\xC3").empty());
  EXPECT_FALSE(Utf8ToWide("\xFF\xFE").empty());
  EXPECT_FALSE(WideToUtf8(std::wstring(1, wchar_t(0xD800))).empty());
}

} // namespace
