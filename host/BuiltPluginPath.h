// Where the built plug-in library lies: beside the running program, as the
// build puts every program and the library into one folder.
#pragma once

#include <windows.h>

#include <string>

namespace nphost {

inline std::wstring BuiltPluginPath() {
  wchar_t self[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) +
         L"npPalomirFirefoxPlugin.dll";
}

} // namespace nphost
