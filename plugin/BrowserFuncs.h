// The process-wide copy of the browser's function table, through which every
// call into the browser goes.
#pragma once

#include "plugin/NpapiTypes.h"

// Holds size and version as the browser gave them and the entries from geturl
// through setexception; later entries are zero. Written once by NP_Initialize.
extern NPNetscapeFuncs BrowserFuncs;
