// The GetMachineID script method over FetchMachineId and the result envelope.
#include "machineid/GetMachineIdCommand.h"

#include "machineid/FetchMachineId.h"
#include "plugin/ResultEnvelope.h"
#include "plugin/StatusTable.h"

bool HandleGetMachineID(NPVariant *result) {
  std::wstring errorText;
  const std::wstring machineId = FetchMachineId(errorText);
  if (!machineId.empty())
    SetResultEnvelope(machineId, StatusSuccess(), result);
  else
    SetResultEnvelope(errorText, StatusUnknownError(), result);
  return true;
}
