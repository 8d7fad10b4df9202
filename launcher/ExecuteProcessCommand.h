// The ExecuteProcess script method: starts a program signed by the expected
// publisher, with an argument text, and answers "TRUE" or "FALSE".
#pragma once

#include "plugin/NpapiTypes.h"

#include <cstdint>

// Called by the dispatcher with the script's arguments and a non-null result;
// stores the answer with SetResultEnvelope and returns true.
bool ExecuteProcess(const NPVariant *args, uint32_t argCount,
                    NPVariant *result);
