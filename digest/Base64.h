// Base64 text of raw bytes: the standard alphabet, no padding, no line breaks.
#pragma once

#include <cstddef>
#include <string>

// Four characters per full group of three bytes, then two for a final single
// byte or three for a final pair; never an equals sign or a line break.
std::string Base64Encode(const unsigned char *data, std::size_t count);
