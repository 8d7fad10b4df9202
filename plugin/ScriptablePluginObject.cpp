// The class slots of the scriptable object: every name is a method and a
// property, and only invoke decides anything.
#include "plugin/ScriptablePluginObject.h"

#include "plugin/BrowserFuncs.h"

#include <cstring>
#include <new>

namespace {

NPObject *Allocate(NPP npp, NPClass *) {
  auto *object = new (std::nothrow) ScriptablePluginObject(npp);
  return object ? object->AsNPObject() : nullptr;
}

void Deallocate(NPObject *object) {
  delete ScriptablePluginObject::FromNPObject(object);
}

bool HasName(NPObject *, NPIdentifier) { return true; }

// The result stays as the browser prepared it (void).
bool LeaveResult(NPObject *, NPIdentifier, NPVariant *) { return true; }
bool LeaveResultDefault(NPObject *, const NPVariant *, uint32_t, NPVariant *) {
  return true;
}

// A browser may drop the result of a failed call unread, without freeing it,
// so the failure answer is taken back here instead of left to leak.
void DiscardStoredString(NPVariant *result) {
  if (result->type == NPVariantType_String)
    NPN_MemFree(const_cast<NPUTF8 *>(result->value.stringValue.UTF8Characters));
  result->type = NPVariantType_Void;
  result->value.objectValue = nullptr;
}

bool Invoke(NPObject *npobj, NPIdentifier name, const NPVariant *args,
            uint32_t argCount, NPVariant *result) {
  if (npobj == nullptr)
    return false;
  NPUTF8 *methodName = NPN_UTF8FromIdentifier(name);
  if (methodName == nullptr)
    return false;
  if (std::strcmp(methodName, "valueOf") == 0) {
    NPN_MemFree(methodName);
    return true;
  }
  ScriptablePluginObject *object = ScriptablePluginObject::FromNPObject(npobj);
  const bool handled =
      object->m_provider.DispatchMethod(methodName, args, argCount, result);
  if (!handled) {
    NPN_SetException(npobj, "Unknown method");
    if (result != nullptr)
      DiscardStoredString(result);
  }
  NPN_MemFree(methodName);
  return handled;
}

} // namespace

NPClass ScriptablePluginObjectClass = {
    NP_CLASS_STRUCT_VERSION,
    Allocate,
    Deallocate,
    nullptr, // invalidate
    HasName, // hasMethod
    Invoke,
    LeaveResultDefault, // invokeDefault
    HasName,            // hasProperty
    LeaveResult,        // getProperty
    nullptr,            // setProperty
    nullptr,            // removeProperty
    nullptr,            // enumerate
    nullptr,            // construct
};
