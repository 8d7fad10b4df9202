// Lower-case hexadecimal without fill for failure texts.
#include "machineid/ErrorCode.h"

std::wstring FormatErrorCode(uint32_t code) {
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring reversed;
  do {
    reversed += kDigits[code & 0xF];
    code >>= 4;
  } while (code != 0);
  return std::wstring(reversed.rbegin(), reversed.rend());
}
