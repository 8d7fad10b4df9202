#include "host/PluginDiscovery.h"

#include "common/WinHandles.h"
#include "host/BrowserHost.h"
#include "host/HostText.h"

#include <windows.h>

#include <vector>

namespace {

constexpr wchar_t kPluginsKey[] = L"SOFTWARE\\MozillaPlugins";

struct Root {
  HKEY key;
  const char *name;
};

std::vector<std::wstring> SubkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256]; // registry key names are at most 255 characters
    DWORD length = 256;
    const LONG status = ::RegEnumKeyExW(key, index, name, &length, nullptr,
                                        nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS)
      break;
    if (status == ERROR_SUCCESS)
      names.emplace_back(name, length);
  }
  return names;
}

std::wstring PathValue(HKEY key, const std::wstring &subkey) {
  DWORD bytes = 0;
  if (::RegGetValueW(key, subkey.c_str(), L"Path", RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS ||
      bytes < sizeof(wchar_t))
    return {};
  std::wstring path(bytes / sizeof(wchar_t), L'\0');
  if (::RegGetValueW(key, subkey.c_str(), L"Path", RRF_RT_REG_SZ, nullptr,
                     path.data(), &bytes) != ERROR_SUCCESS)
    return {};
  path.resize(path.find(L'\0'));
  return path;
}

bool IsFile(const std::wstring &path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

std::wstring FindPluginByMimeType(const std::string &mimeType,
                                  std::string &error) {
  error.clear();
  for (const Root &root :
       {Root{HKEY_CURRENT_USER, "HKCU"}, Root{HKEY_LOCAL_MACHINE, "HKLM"}}) {
    UniqueHKey plugins;
    if (::RegOpenKeyExW(root.key, kPluginsKey, 0, KEY_READ, plugins.put()) !=
        ERROR_SUCCESS) {
      error +=
          std::string(root.name) + "\\SOFTWARE\\MozillaPlugins: no such key\n";
      continue;
    }
    for (const std::wstring &name : SubkeyNames(plugins.get())) {
      const std::string where = std::string(root.name) +
                                "\\SOFTWARE\\MozillaPlugins\\" +
                                nphost::Utf8ForMessage(name);
      const std::wstring path = PathValue(plugins.get(), name);
      if (path.empty()) {
        error += where + ": no Path value\n";
        continue;
      }
      if (!IsFile(path)) {
        error += where +
                 ": Path names no file: " + nphost::Utf8ForMessage(path) + "\n";
        continue;
      }
      const std::string declared =
          nphost::Utf8ForMessage(nphost::VersionString(path, L"MIMEType"));
      if (nphost::DeclaresMimeType(declared, mimeType))
        return path;
      error += where + ": " + nphost::Utf8ForMessage(path) + " declares \"" +
               declared + "\"\n";
    }
  }
  error += "no installed plug-in declares " + mimeType;
  return {};
}
