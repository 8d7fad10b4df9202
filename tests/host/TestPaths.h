// Where the programs and libraries of the build lie: beside the test program.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring BinaryPath(const std::wstring &name) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self, length);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

inline std::wstring TestPluginPath() {
  return BinaryPath(L"npHostTestPlugin.dll");
}
