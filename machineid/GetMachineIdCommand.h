// The GetMachineID script method: answers the machine identifier or the text
// that says why there is none.
#pragma once

#include "plugin/NpapiTypes.h"

// Called by the dispatcher with a non-null result; script arguments are not
// read. Stores the answer with SetResultEnvelope and returns true, always.
bool HandleGetMachineID(NPVariant *result);
