// The code that ends a failure text: its 32-bit pattern in lower-case hex.
#pragma once

#include <cstdint>
#include <string>

// No leading zeros and no fill: 0x80041003 gives "80041003", 5 gives "5".
std::wstring FormatErrorCode(uint32_t code);
