// The random driver of the test browser: seeded, reproducible script calls and
// NPAPI misuse of every kind a page or a buggy browser could make, each
// answer checked and the ledger checked after every call.
#pragma once

#include <string>
#include <vector>

namespace nphost {

// Options, as nphost takes them after --hostile:
//   --seed N        the run's seed (default: from the clock; always printed)
//   --calls N       how many calls (default 100000)
//   --first N       the index of the first call: with --calls 1, replays one
//                   call of a run exactly, since every call draws from its own
//                   generator seeded by (seed, index)
//   --max-string N  the longest string argument in bytes (default 1 MiB)
//   --replay N      then the first N calls twice more (default 20000), failing
//                   when the process's committed memory grows by 1 MiB or more
//                   over the second time
//   --hang N        seconds a call may take before the run is failed as hung
//                   (default 120)
//   --verbose       describe every call before it is made
// Returns the process exit code: 0 when every call returned a good answer and
// nothing leaked.
int RunHostileInput(const std::wstring &pluginPath,
                    const std::vector<std::string> &args);

} // namespace nphost
