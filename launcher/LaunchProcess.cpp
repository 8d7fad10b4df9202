// Starting a program with CreateProcessW.
#include "launcher/LaunchProcess.h"

#include "common/WinHandles.h"

#include <windows.h>

#include <vector>

int LaunchProcess(const std::wstring &programPath,
                  const std::wstring &commandLine) {
  STARTUPINFOW startupInfo = {};
  startupInfo.cb = sizeof(startupInfo);
  PROCESS_INFORMATION processInfo = {};

  // CreateProcessW may write into the command line.
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');

  if (!CreateProcessW(programPath.c_str(), buffer.data(), nullptr, nullptr,
                      FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startupInfo, &processInfo))
    return -1;
  UniqueHandle thread(processInfo.hThread);
  UniqueHandle process(processInfo.hProcess);
  return 0;
}
