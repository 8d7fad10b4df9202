// Method dispatch by name, with the catch-all that keeps exceptions out of the
// browser.
#include "plugin/PalomirFirefoxApiProvider.h"

#include "launcher/ExecuteProcessCommand.h"
#include "machineid/GetMachineIdCommand.h"
#include "plugin/ResultEnvelope.h"
#include "plugin/StatusTable.h"

#include <cstring>

namespace {

// Storing the failure answer can itself run out of memory; nothing may leave
// towards the browser, so the result then stays as the attempt left it.
void AnswerUnknownError(NPVariant *result) noexcept {
  try {
    SetResultEnvelope(std::wstring(), StatusUnknownError(), result);
  } catch (...) {
  }
}

} // namespace

bool CPalomirFirefoxApiProvider::DispatchMethod(const NPUTF8 *name,
                                                const NPVariant *args,
                                                uint32_t argCount,
                                                NPVariant *result) {
  if (result == nullptr)
    return true;
  if (name == nullptr) {
    AnswerUnknownError(result);
    return true;
  }
  try {
    if (std::strcmp(name, "GetMachineID") == 0)
      return HandleGetMachineID(result);
    if (std::strcmp(name, "ExecuteProcess") == 0) {
      ExecuteProcess(args, argCount, result);
      return true;
    }
    return true;
  } catch (...) {
  }
  AnswerUnknownError(result);
  return false;
}
