// Conversions over the Windows code-page converters. Flags are 0 both ways, so
// malformed input gets the platform's default handling instead of a refusal.
#include "plugin/TextConversion.h"

#include <windows.h>

#include <climits>

std::string WideToUtf8(const std::wstring &text) {
  // The converters count in int; a longer text cannot be converted in one go.
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
    return {};
  const int inLength = static_cast<int>(text.size());
  const int outLength = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), inLength,
                                              nullptr, 0, nullptr, nullptr);
  if (outLength == 0)
    return {};
  std::string out(static_cast<size_t>(outLength), '\0');
  if (::WideCharToMultiByte(CP_UTF8, 0, text.data(), inLength, out.data(),
                            outLength, nullptr, nullptr) == 0)
    return {};
  return out;
}

std::wstring Utf8ToWide(const std::string &text) {
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
    return {};
  const int inLength = static_cast<int>(text.size());
  const int outLength =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), inLength, nullptr, 0);
  if (outLength == 0)
    return {};
  std::wstring out(static_cast<size_t>(outLength), L'\0');
  if (::MultiByteToWideChar(CP_UTF8, 0, text.data(), inLength, out.data(),
                            outLength) == 0)
    return {};
  return out;
}
