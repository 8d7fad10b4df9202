// Starting the checked program without waiting for it.
#pragma once

#include <string>

// Starts exactly the file programPath names (never one the system would find
// by parsing the command line) with commandLine as its command line, in the
// caller's environment and current directory. Returns 0 when it was started
// and -1 when not; its process and thread handles are closed at once.
int LaunchProcess(const std::wstring &programPath,
                  const std::wstring &commandLine);
