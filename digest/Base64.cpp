// Unpadded base64 over the standard alphabet.
#include "digest/Base64.h"

namespace {
constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
} // namespace

std::string Base64Encode(const unsigned char *data, std::size_t count) {
  std::string out;
  out.reserve(count / 3 * 4 + 3);
  std::size_t i = 0;
  for (; i + 3 <= count; i += 3) {
    const unsigned long group = (unsigned long)data[i] << 16 |
                                (unsigned long)data[i + 1] << 8 | data[i + 2];
    out += kAlphabet[group >> 18 & 0x3F];
    out += kAlphabet[group >> 12 & 0x3F];
    out += kAlphabet[group >> 6 & 0x3F];
    out += kAlphabet[group & 0x3F];
  }
  const std::size_t rest = count - i;
  if (rest == 0)
    return out;
  // The missing low bits of a short final group count as zero.
  const unsigned long group =
      (unsigned long)data[i] << 16 |
      (rest == 2 ? (unsigned long)data[i + 1] << 8 : 0UL);
  out += kAlphabet[group >> 18 & 0x3F];
  out += kAlphabet[group >> 12 & 0x3F];
  if (rest == 2)
    out += kAlphabet[group >> 6 & 0x3F];
  return out;
}
