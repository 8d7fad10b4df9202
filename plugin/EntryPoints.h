// The three functions the library exports to the browser.
#pragma once

#include "plugin/NpapiTypes.h"

extern "C" {
NPError WINAPI NP_GetEntryPoints(NPPluginFuncs *pFuncs);
NPError WINAPI NP_Initialize(NPNetscapeFuncs *bFuncs);
NPError WINAPI NP_Shutdown(void);
}
