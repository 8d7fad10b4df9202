// The program path and the command line that ExecuteProcess builds from the
// script's two string arguments.
#pragma once

#include "plugin/NpapiTypes.h"

#include <cstdint>
#include <string>

struct ProgramCommandLine {
  std::wstring programPath; // argument 0, converted and otherwise unchanged
  std::wstring commandLine; // the program path, one blank, argument 1
};

// True when at least two arguments arrived and the first two are strings;
// nothing beyond argCount is read.
bool HasProgramArguments(const NPVariant *args, uint32_t argCount);

// Takes each argument's text up to its first NUL byte (never more than its
// length), converts it from UTF-8, and joins them with exactly one blank. No
// quotes are added and nothing is trimmed or escaped. args must hold two
// strings (see HasProgramArguments).
ProgramCommandLine BuildCommandLine(const NPVariant *args);
