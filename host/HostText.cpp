// The host's own UTF-16 to UTF-8 conversion.
#include "host/HostText.h"

#include <windows.h>

namespace nphost {
namespace {

bool Convert(const std::wstring &wide, DWORD flags, std::string &utf8) {
  utf8.clear();
  if (wide.empty())
    return true;
  const int length = WideCharToMultiByte(CP_UTF8, flags, wide.data(),
                                         static_cast<int>(wide.size()), nullptr,
                                         0, nullptr, nullptr);
  if (length <= 0)
    return false;
  utf8.resize(length);
  WideCharToMultiByte(CP_UTF8, flags, wide.data(),
                      static_cast<int>(wide.size()), &utf8[0], length, nullptr,
                      nullptr);
  return true;
}

} // namespace

bool WideToUtf8Strict(const std::wstring &wide, std::string &utf8) {
  if (Convert(wide, WC_ERR_INVALID_CHARS, utf8))
    return true;
  utf8.clear();
  return false;
}

std::string Utf8ForMessage(const std::wstring &wide) {
  std::string utf8;
  Convert(wide, 0, utf8);
  return utf8;
}

} // namespace nphost
