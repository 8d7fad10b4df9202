// Building the program path and command line of ExecuteProcess.
#include "launcher/CommandLine.h"

#include "plugin/TextConversion.h"

#include <algorithm>

namespace {

std::string ArgumentText(const NPVariant &arg) {
  const NPString &text = arg.value.stringValue;
  if (text.UTF8Characters == nullptr)
    return std::string();
  const char *begin = text.UTF8Characters;
  const char *end = std::find(begin, begin + text.UTF8Length, '\0');
  return std::string(begin, end);
}

} // namespace

bool HasProgramArguments(const NPVariant *args, uint32_t argCount) {
  return args != nullptr && argCount >= 2 &&
         args[0].type == NPVariantType_String &&
         args[1].type == NPVariantType_String;
}

ProgramCommandLine BuildCommandLine(const NPVariant *args) {
  ProgramCommandLine built;
  built.programPath = Utf8ToWide(ArgumentText(args[0]));
  built.commandLine =
      built.programPath + L' ' + Utf8ToWide(ArgumentText(args[1]));
  return built;
}
