// The exports: the plug-in's function table handed out, the browser's copied.
#include "plugin/EntryPoints.h"

#include "plugin/BrowserFuncs.h"
#include "plugin/PluginFunctions.h"

extern "C" {

NPError WINAPI NP_GetEntryPoints(NPPluginFuncs *pFuncs) {
  if (pFuncs == nullptr || pFuncs->size < kPluginFuncsThroughSetValue)
    return NPERR_INVALID_FUNCTABLE_ERROR;
  // Slots after setvalue are not written: the browser's table may end there.
  pFuncs->version = 22;
  pFuncs->newp = NPP_New;
  pFuncs->destroy = NPP_Destroy;
  pFuncs->setwindow = NPP_SetWindow;
  pFuncs->newstream = NPP_NewStream;
  pFuncs->destroystream = NPP_DestroyStream;
  pFuncs->asfile = NPP_StreamAsFile;
  pFuncs->writeready = NPP_WriteReady;
  pFuncs->write = NPP_Write;
  pFuncs->print = NPP_Print;
  pFuncs->event = NPP_HandleEvent;
  pFuncs->urlnotify = NPP_URLNotify;
  pFuncs->javaClass = nullptr;
  pFuncs->getvalue = NPP_GetValue;
  pFuncs->setvalue = NPP_SetValue;
  return NPERR_NO_ERROR;
}

NPError WINAPI NP_Initialize(NPNetscapeFuncs *bFuncs) {
  if (bFuncs == nullptr)
    return NPERR_INVALID_FUNCTABLE_ERROR;
  if ((bFuncs->version >> 8) != 0)
    return NPERR_INCOMPATIBLE_VERSION_ERROR;
  // Offered must reach getauthenticationinfo, although only the entries
  // through setexception are kept.
  if (bFuncs->size < kNetscapeFuncsThroughGetAuthenticationInfo)
    return NPERR_INVALID_FUNCTABLE_ERROR;
  CopyBrowserFuncs(*bFuncs);
  return NPERR_NO_ERROR;
}

NPError WINAPI NP_Shutdown(void) { return NPERR_NO_ERROR; }

} // extern "C"
