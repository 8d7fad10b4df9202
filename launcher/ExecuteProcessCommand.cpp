// The ExecuteProcess command: checks the program's publisher, starts it, and
// answers "TRUE" with status 0 or "FALSE" with status 9999.
#include "launcher/ExecuteProcessCommand.h"

#include "common/WinHandles.h"
#include "launcher/CommandLine.h"
#include "launcher/FileSigner.h"
#include "launcher/LaunchProcess.h"
#include "plugin/ResultEnvelope.h"
#include "plugin/StatusTable.h"

#include <windows.h>

namespace {

bool StartSignedProgram(const ProgramCommandLine &program) {
  // Held open for reading, denying writes and deletion to everyone else, from
  // before the check until the program is created: the file started is the
  // file checked.
  UniqueFileHandle held(CreateFileW(program.programPath.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held)
    return false;
  // Only a file on disk can be a program. A device such as a serial port
  // ("COM1", "AUX") opens, but the signature reader's first read of it waits
  // for data forever, freezing the page's thread.
  if (GetFileType(held.get()) != FILE_TYPE_DISK)
    return false;
  if (!CheckFileSigner(program.programPath, ExpectedSignerName))
    return false;
  return LaunchProcess(program.programPath, program.commandLine) == 0;
}

} // namespace

bool ExecuteProcess(const NPVariant *args, uint32_t argCount,
                    NPVariant *result) {
  const bool started = HasProgramArguments(args, argCount) &&
                       StartSignedProgram(BuildCommandLine(args));
  if (started)
    SetResultEnvelope(L"TRUE", StatusSuccess(), result);
  else
    SetResultEnvelope(L"FALSE", StatusUnknownError(), result);
  return true;
}
