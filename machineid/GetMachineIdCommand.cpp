// Placeholder until the machine identifier is built: answers nothing (void),
// like a name that is no method.
#include "machineid/GetMachineIdCommand.h"

bool HandleGetMachineID(NPVariant *) { return true; }
