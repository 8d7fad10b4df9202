// Instance lifecycle: the plug-in draws nothing, takes no stream data and
// offers only its scriptable object.
#include "plugin/PluginFunctions.h"

#include "plugin/BrowserFuncs.h"
#include "plugin/PluginInstance.h"
#include "plugin/ScriptablePluginObject.h"

#include <new>

namespace {

PluginInstance *RecordOf(NPP instance) {
  return static_cast<PluginInstance *>(instance->pdata);
}

} // namespace

NPError NPP_New(NPMIMEType, NPP instance, uint16_t, int16_t, char *[], char *[],
                NPSavedData *) {
  if (instance == nullptr)
    return NPERR_INVALID_INSTANCE_ERROR;
  auto *record = new (std::nothrow) PluginInstance(instance);
  if (record == nullptr)
    return NPERR_OUT_OF_MEMORY_ERROR;
  instance->pdata = record;
  return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP instance, NPSavedData **) {
  if (instance == nullptr)
    return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance *record = RecordOf(instance);
  if (record == nullptr)
    return NPERR_NO_ERROR;
  if (record->m_scriptableObject != nullptr)
    NPN_ReleaseObject(record->m_scriptableObject->AsNPObject());
  record->m_hWnd = nullptr;
  record->m_initialized = false;
  delete record;
  // A late call on this NPP then finds no record instead of freed memory.
  instance->pdata = nullptr;
  return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP instance, NPWindow *window) {
  if (instance == nullptr)
    return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance *record = RecordOf(instance);
  if (window == nullptr || record == nullptr)
    return NPERR_GENERIC_ERROR;
  // Only the first window handle counts; nothing reads it afterwards.
  if (!record->m_initialized && window->window != nullptr) {
    record->m_hWnd = static_cast<HWND>(window->window);
    record->m_window = window;
    record->m_initialized = true;
  }
  return NPERR_NO_ERROR;
}

NPError NPP_NewStream(NPP instance, NPMIMEType, NPStream *, NPBool,
                      uint16_t *) {
  return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NPP_DestroyStream(NPP instance, NPStream *, NPReason) {
  return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

void NPP_StreamAsFile(NPP, NPStream *, const char *) {}

int32_t NPP_WriteReady(NPP instance, NPStream *) {
  return instance ? 0x0FFFFFFF : NPERR_INVALID_INSTANCE_ERROR;
}

// All data is taken and discarded.
int32_t NPP_Write(NPP instance, NPStream *, int32_t, int32_t len, void *) {
  return instance ? len : NPERR_INVALID_INSTANCE_ERROR;
}

void NPP_Print(NPP, NPPrint *) {}

int16_t NPP_HandleEvent(NPP, void *) { return 0; }

void NPP_URLNotify(NPP, const char *, NPReason, void *) {}

NPError NPP_GetValue(NPP instance, NPPVariable variable, void *value) {
  if (instance == nullptr)
    return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance *record = RecordOf(instance);
  if (record == nullptr)
    return NPERR_GENERIC_ERROR;
  switch (variable) {
  case NPPVpluginNameString:
  case NPPVpluginDescriptionString:
  case NPPVpluginScriptableNPObject:
    break;
  default:
    return NPERR_GENERIC_ERROR;
  }
  // Nowhere to put the answer: refuse before an object reference is made
  // that nobody would own.
  if (value == nullptr)
    return NPERR_INVALID_PARAM;
  if (variable == NPPVpluginNameString)
    *static_cast<const char **>(value) = "NPRuntimeTest";
  else if (variable == NPPVpluginDescriptionString)
    *static_cast<const char **>(value) =
        "NPRuntime scriptability API test plugin";
  else
    *static_cast<NPObject **>(value) = record->GetScriptableObject();
  return NPERR_NO_ERROR;
}

NPError NPP_SetValue(NPP instance, NPNVariable, void *) {
  return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}
