// The process-wide copy of the browser's function table, through which every
// call into the browser goes, and the seven calls the plug-in makes.
#pragma once

#include "plugin/NpapiTypes.h"

// Holds size and version as the browser gave them and the entries from geturl
// through setexception; later entries are zero. Written once by NP_Initialize.
extern NPNetscapeFuncs BrowserFuncs;

// Copies what is kept of the browser's table into BrowserFuncs; the table must
// reach at least setexception.
void CopyBrowserFuncs(const NPNetscapeFuncs &browser);

// The browser calls, through BrowserFuncs. An entry the browser left null acts
// as a failed call (null, nothing done) rather than a jump through null.
void *NPN_MemAlloc(uint32_t size);
void NPN_MemFree(void *ptr);
NPUTF8 *NPN_UTF8FromIdentifier(NPIdentifier identifier);
NPObject *NPN_CreateObject(NPP npp, NPClass *aClass);
NPObject *NPN_RetainObject(NPObject *obj);
void NPN_ReleaseObject(NPObject *obj);
void NPN_SetException(NPObject *obj, const NPUTF8 *message);
