// Placeholder until the launcher is built: answers nothing (void), like a name
// that is no method.
#include "launcher/ExecuteProcessCommand.h"

bool ExecuteProcess(const NPVariant *, uint32_t, NPVariant *) { return true; }
