// Commands for the shell's tests, linked in place of the real ones: they
// record each call and answer, or throw, as a test tells them.
#pragma once

#include "plugin/NpapiTypes.h"

#include <cstdint>
#include <functional>
#include <string>

namespace fakecommands {

struct Calls {
  int getMachineId = 0;
  int executeProcess = 0;
  uint32_t lastArgCount = 0;
  const NPVariant *lastArgs = nullptr;
};

Calls &Seen();
// What the next calls of either command do; by default they answer "TRUE"
// with status 0 and return true.
extern std::function<bool(NPVariant *)> Behaviour;
void Reset();

} // namespace fakecommands
