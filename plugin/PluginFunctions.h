// The per-instance functions the plug-in hands the browser in its function
// table.
#pragma once

#include "plugin/NpapiTypes.h"

NPError NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode,
                int16_t argc, char *argn[], char *argv[], NPSavedData *saved);
NPError NPP_Destroy(NPP instance, NPSavedData **save);
NPError NPP_SetWindow(NPP instance, NPWindow *window);
NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream *stream,
                      NPBool seekable, uint16_t *stype);
NPError NPP_DestroyStream(NPP instance, NPStream *stream, NPReason reason);
void NPP_StreamAsFile(NPP instance, NPStream *stream, const char *fname);
int32_t NPP_WriteReady(NPP instance, NPStream *stream);
int32_t NPP_Write(NPP instance, NPStream *stream, int32_t offset, int32_t len,
                  void *buffer);
void NPP_Print(NPP instance, NPPrint *platformPrint);
int16_t NPP_HandleEvent(NPP instance, void *event);
void NPP_URLNotify(NPP instance, const char *url, NPReason reason,
                   void *notifyData);
NPError NPP_GetValue(NPP instance, NPPVariable variable, void *value);
NPError NPP_SetValue(NPP instance, NPNVariable variable, void *value);
