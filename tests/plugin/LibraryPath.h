// Where the built plug-in library lies: beside the test program.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring LibraryPath() {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) +
         L"npPalomirFirefoxPlugin.dll";
}
