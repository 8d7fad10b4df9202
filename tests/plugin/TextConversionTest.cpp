#include "plugin/TextConversion.h"

#include <gtest/gtest.h>

TEST(TextConversion, AbcRoundTrips) {
  EXPECT_EQ(WideToUtf8(L"abc"), "abc");
  EXPECT_EQ(Utf8ToWide("abc"), L"abc");
}
