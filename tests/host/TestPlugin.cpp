// A tiny plug-in that misbehaves on request, to show that the test browser
// counts what a faulty plug-in does instead of hiding it. The method name
// picks the behaviour (see Invoke); its DllMain leaves a mark in the
// environment so a test can tell whether any of its code ran.
#include "plugin/NpapiTypes.h"

#include <cstring>
#include <string>

namespace {

NPNetscapeFuncs gBrowser = {};
uint16_t gPluginTableSize = 0;
NPP gNpp = nullptr;
HWND gWindow = nullptr;

bool IsString(const NPVariant &v) { return v.type == NPVariantType_String; }

bool StoreString(const std::string &text, NPVariant *result) {
  auto *block = static_cast<char *>(
      gBrowser.memalloc(static_cast<uint32_t>(text.size() + 1)));
  if (!block)
    return false;
  std::memcpy(block, text.data(), text.size());
  block[text.size()] = '\0';
  result->type = NPVariantType_String;
  result->value.stringValue.UTF8Characters = block;
  result->value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
  return true;
}

NPClass gClass = {};

bool HasName(NPObject *, NPIdentifier) { return true; }

bool Invoke(NPObject *object, NPIdentifier name, const NPVariant *args,
            uint32_t argCount, NPVariant *result) {
  NPUTF8 *utf8 = gBrowser.utf8fromidentifier(name);
  if (!utf8)
    return false;
  const std::string method = utf8;
  gBrowser.memfree(utf8);

  if (method == "Echo") { // the string arguments joined, byte for byte
    std::string text;
    for (uint32_t i = 0; i < argCount; ++i)
      if (IsString(args[i]))
        text.append(args[i].value.stringValue.UTF8Characters,
                    args[i].value.stringValue.UTF8Length);
    return StoreString(text, result);
  }
  if (method == "Int") {
    result->type = NPVariantType_Int32;
    result->value.intValue = 42;
    return true;
  }
  if (method == "TableSizes")
    return StoreString("plugin=" + std::to_string(gPluginTableSize) +
                           " browser=" + std::to_string(gBrowser.size),
                       result);
  if (method == "HasWindow") { // the handle of the first SetWindow is live
    result->type = NPVariantType_Bool;
    result->value.boolValue = gWindow && IsWindow(gWindow);
    return true;
  }
  if (method == "Fail") {
    gBrowser.setexception(object, "failure \xC3\xA9");
    return false;
  }
  if (method == "FailQuietly")
    return false;
  if (method == "FailLeavingResult") { // the result is never taken
    StoreString("lost", result);
    return false;
  }
  if (method == "LeakBlock") {
    gBrowser.memalloc(16);
    return true;
  }
  if (method == "FreeTwice") {
    void *block = gBrowser.memalloc(8);
    gBrowser.memfree(block);
    gBrowser.memfree(block);
    return true;
  }
  if (method == "Overrun") {
    auto *block = static_cast<char *>(gBrowser.memalloc(4));
    std::memcpy(block, "12345", 5);
    gBrowser.memfree(block);
    return true;
  }
  if (method == "LeakObject") {
    gBrowser.createobject(gNpp, &gClass);
    return true;
  }
  if (method == "OverRelease") {
    NPObject *extra = gBrowser.createobject(gNpp, &gClass);
    gBrowser.releaseobject(extra);
    gBrowser.releaseobject(extra);
    return true;
  }
  if (method == "ForeignString") { // a result not in a memalloc block
    static const char text[] = "static";
    result->type = NPVariantType_String;
    result->value.stringValue.UTF8Characters = text;
    result->value.stringValue.UTF8Length = 6;
    return true;
  }
  if (method == "LongString") { // a length past the end of its block
    if (!StoreString("abc", result))
      return false;
    result->value.stringValue.UTF8Length = 64;
    return true;
  }
  return true; // any other name: void, as for a name that is no method
}

bool GetProperty(NPObject *, NPIdentifier name, NPVariant *result) {
  NPUTF8 *utf8 = gBrowser.utf8fromidentifier(name);
  const bool answer = utf8 && std::strcmp(utf8, "answer") == 0;
  gBrowser.memfree(utf8);
  if (answer) {
    result->type = NPVariantType_Int32;
    result->value.intValue = 42;
  }
  return true;
}

// No allocate or deallocate: the browser's default allocation is used.
NPClass MakeClass() {
  NPClass c = {};
  c.structVersion = NP_CLASS_STRUCT_VERSION;
  c.hasMethod = HasName;
  c.invoke = Invoke;
  c.hasProperty = HasName;
  c.getProperty = GetProperty;
  return c;
}

NPError New(NPMIMEType, NPP instance, uint16_t, int16_t, char **, char **,
            NPSavedData *) {
  gNpp = instance;
  return NPERR_NO_ERROR;
}

NPError Destroy(NPP, NPSavedData **) {
  gNpp = nullptr;
  gWindow = nullptr;
  return NPERR_NO_ERROR;
}

NPError SetWindow(NPP, NPWindow *window) {
  if (window && !gWindow)
    gWindow = static_cast<HWND>(window->window);
  return NPERR_NO_ERROR;
}

NPError GetValue(NPP instance, NPPVariable variable, void *value) {
  switch (variable) {
  case NPPVpluginNameString:
    *static_cast<const char **>(value) = "nphost test plug-in";
    return NPERR_NO_ERROR;
  case NPPVpluginDescriptionString:
    *static_cast<const char **>(value) = "Misbehaves on request";
    return NPERR_NO_ERROR;
  case NPPVpluginScriptableNPObject:
    // A new object each time; its one reference goes to the browser.
    *static_cast<NPObject **>(value) = gBrowser.createobject(instance, &gClass);
    return NPERR_NO_ERROR;
  default:
    return NPERR_GENERIC_ERROR;
  }
}

} // namespace

extern "C" {

NPError WINAPI NP_GetEntryPoints(NPPluginFuncs *funcs) {
  if (!funcs || funcs->size < kPluginFuncsThroughSetValue)
    return NPERR_INVALID_FUNCTABLE_ERROR;
  gPluginTableSize = funcs->size;
  funcs->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  funcs->newp = New;
  funcs->destroy = Destroy;
  funcs->setwindow = SetWindow;
  funcs->getvalue = GetValue;
  return NPERR_NO_ERROR;
}

NPError WINAPI NP_Initialize(NPNetscapeFuncs *browser) {
  if (!browser || browser->size < kNetscapeFuncsThroughSetException)
    return NPERR_INVALID_FUNCTABLE_ERROR;
  std::memcpy(&gBrowser, browser,
              browser->size < sizeof gBrowser ? browser->size
                                              : sizeof gBrowser);
  gClass = MakeClass();
  return NPERR_NO_ERROR;
}

NPError WINAPI NP_Shutdown() { return NPERR_NO_ERROR; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    SetEnvironmentVariableW(L"NPHOST_TEST_PLUGIN_ATTACHED", L"1");
  return TRUE;
}

} // extern "C"
