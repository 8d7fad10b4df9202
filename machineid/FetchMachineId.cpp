// Runs one CMachineID on the stack and copies its outcome out.
#include "machineid/FetchMachineId.h"

#include "machineid/MachineID.h"

std::wstring FetchMachineId(std::wstring &errorText) {
  std::wstring machineId;
  {
    const CMachineID computation;
    machineId = computation.MachineId();
    errorText = computation.ErrorText();
  }
  if (machineId.empty() && errorText.empty())
    errorText = L"Machine ID general error.";
  return machineId;
}
