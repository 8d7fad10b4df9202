// Reading a plug-in's registration from its version resource without running
// any of its code, as a browser does before it loads a plug-in.
#include "host/BrowserHost.h"

#include <cwchar>
#include <vector>

namespace nphost {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool EqualIgnoringAsciiCase(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  return true;
}

} // namespace

std::wstring VersionString(const std::wstring &path, const std::wstring &key) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0)
    return {};
  std::vector<BYTE> info(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data()))
    return {};

  struct Translation {
    WORD language;
    WORD codePage;
  };
  void *translations = nullptr;
  UINT translationsSize = 0;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &translations,
                      &translationsSize) ||
      translationsSize < sizeof(Translation))
    return {};
  const auto *first = static_cast<const Translation *>(translations);

  wchar_t block[64];
  std::swprintf(block, sizeof block / sizeof block[0],
                L"\\StringFileInfo\\%04x%04x\\", first->language,
                first->codePage);
  const std::wstring subBlock = block + key;
  void *value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), subBlock.c_str(), &value, &length) || !value)
    return {};
  const auto *text = static_cast<const wchar_t *>(value);
  return std::wstring(text, wcsnlen(text, length));
}

bool DeclaresMimeType(const std::string &declared,
                      const std::string &mimeType) {
  std::size_t start = 0;
  while (start <= declared.size()) {
    std::size_t end = declared.find_first_of("|;", start);
    if (end == std::string::npos)
      end = declared.size();
    if (EqualIgnoringAsciiCase(declared.substr(start, end - start), mimeType))
      return !mimeType.empty();
    start = end + 1;
  }
  return false;
}

} // namespace nphost
