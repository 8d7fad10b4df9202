// The browser's function table as the plug-in keeps it, and the calls into it.
#include "plugin/BrowserFuncs.h"

#include <cstring>

NPNetscapeFuncs BrowserFuncs = {};

void CopyBrowserFuncs(const NPNetscapeFuncs &browser) {
  NPNetscapeFuncs kept = {};
  // size, version and the entries through setexception; the browser's table
  // may be larger than ours or smaller, but never shorter than this.
  std::memcpy(&kept, &browser, kNetscapeFuncsThroughSetException);
  BrowserFuncs = kept;
}

void *NPN_MemAlloc(uint32_t size) {
  return BrowserFuncs.memalloc ? BrowserFuncs.memalloc(size) : nullptr;
}

void NPN_MemFree(void *ptr) {
  if (BrowserFuncs.memfree && ptr)
    BrowserFuncs.memfree(ptr);
}

NPUTF8 *NPN_UTF8FromIdentifier(NPIdentifier identifier) {
  return BrowserFuncs.utf8fromidentifier
             ? BrowserFuncs.utf8fromidentifier(identifier)
             : nullptr;
}

NPObject *NPN_CreateObject(NPP npp, NPClass *aClass) {
  return BrowserFuncs.createobject ? BrowserFuncs.createobject(npp, aClass)
                                   : nullptr;
}

NPObject *NPN_RetainObject(NPObject *obj) {
  return BrowserFuncs.retainobject ? BrowserFuncs.retainobject(obj) : nullptr;
}

void NPN_ReleaseObject(NPObject *obj) {
  if (BrowserFuncs.releaseobject)
    BrowserFuncs.releaseobject(obj);
}

void NPN_SetException(NPObject *obj, const NPUTF8 *message) {
  if (BrowserFuncs.setexception)
    BrowserFuncs.setexception(obj, message);
}
