// Unpadded base64: short groups, the whole alphabet and digest lengths.
#include "digest/Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Encode(const std::vector<unsigned char> &bytes) {
  return Base64Encode(bytes.data(), bytes.size());
}

TEST(Base64Encode, ShortGroupsAreNeverPadded) {
  struct Case {
    std::vector<unsigned char> bytes;
    std::string text;
  };
  const Case cases[] = {
      {{}, ""},
      {{'a'}, "YQ"},
      {{'a', 'b'}, "YWI"},
      {{'a', 'b', 'c'}, "YWJj"},
      {{0xFF}, "/w"},
      {{0xFF, 0xFF}, "//8"},
      {{0xFF, 0xFF, 0xFF}, "////"},
      {{0x00, 0x00, 0x00, 0x00}, "AAAAAA"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Encode(c.bytes), c.text) << c.text;
}

TEST(Base64Encode, EverySixBitValueMapsToItsLetter) {
  // The 48 bytes whose 64 six-bit fields count 0 to 63 in order.
  const std::vector<unsigned char> bytes = {
      0x00, 0x10, 0x83, 0x10, 0x51, 0x87, 0x20, 0x92, 0x8B, 0x30, 0xD3, 0x8F,
      0x41, 0x14, 0x93, 0x51, 0x55, 0x97, 0x61, 0x96, 0x9B, 0x71, 0xD7, 0x9F,
      0x82, 0x18, 0xA3, 0x92, 0x59, 0xA7, 0xA2, 0x9A, 0xAB, 0xB2, 0xDB, 0xAF,
      0xC3, 0x1C, 0xB3, 0xD3, 0x5D, 0xB7, 0xE3, 0x9E, 0xBB, 0xF3, 0xDF, 0xBF};
  EXPECT_EQ(Encode(bytes),
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
}

TEST(Base64Encode, DigestLengthsGiveOneLineOfFixedLength) {
  for (const auto &[bytes, length] :
       {std::pair<size_t, size_t>{20, 27}, {64, 86}}) {
    const std::string text = Encode(std::vector<unsigned char>(bytes, 0xFB));
    EXPECT_EQ(text.size(), length);
    EXPECT_EQ(text.find_first_not_of("+/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                     "abcdefghijklmnopqrstuvwxyz"),
              std::string::npos)
        << text;
  }
}

} // namespace
