// The two command entry points the shell calls, faked.
#include "tests/plugin/FakeCommands.h"

#include "launcher/ExecuteProcessCommand.h"
#include "machineid/GetMachineIdCommand.h"
#include "plugin/ResultEnvelope.h"

namespace fakecommands {

namespace {
bool AnswerTrue(NPVariant *result) {
  SetResultEnvelope(L"TRUE", StatusSuccess(), result);
  return true;
}
} // namespace

std::function<bool(NPVariant *)> Behaviour = AnswerTrue;

Calls &Seen() {
  static Calls calls;
  return calls;
}

void Reset() {
  Seen() = Calls{};
  Behaviour = AnswerTrue;
}

} // namespace fakecommands

bool HandleGetMachineID(NPVariant *result) {
  ++fakecommands::Seen().getMachineId;
  return fakecommands::Behaviour(result);
}

bool ExecuteProcess(const NPVariant *args, uint32_t argCount,
                    NPVariant *result) {
  auto &seen = fakecommands::Seen();
  ++seen.executeProcess;
  seen.lastArgs = args;
  seen.lastArgCount = argCount;
  return fakecommands::Behaviour(result);
}
