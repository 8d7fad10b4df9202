// The soak mode of the test browser: many GetMachineID and ExecuteProcess calls
// and many instances in one process, checking after every answer that the
// plug-in holds nothing, and over the run that memory and time stay flat.
#pragma once

#include <string>
#include <vector>

namespace nphost {

// Options, as nphost takes them after --soak:
//   --fixtures DIR  the folder of the signed and unsigned test programs
//   --scale F       every count times F (at least a small floor), default 1
//   --timing-bound  fail when the last calls' median time exceeds twice the
//                   first calls' plus 2 ms (on by default when F is 1)
// Returns the process exit code: 0 when every check held.
int RunSoak(const std::wstring &pluginPath,
            const std::vector<std::string> &args);

} // namespace nphost
