// Hands out the instance's scriptable object.
#include "plugin/PluginInstance.h"

#include "plugin/BrowserFuncs.h"
#include "plugin/ScriptablePluginObject.h"

NPObject *PluginInstance::GetScriptableObject() {
  if (m_scriptableObject == nullptr)
    m_scriptableObject = ScriptablePluginObject::FromNPObject(
        NPN_CreateObject(m_instance, &ScriptablePluginObjectClass));
  if (m_scriptableObject == nullptr)
    return nullptr;
  NPObject *object = m_scriptableObject->AsNPObject();
  NPN_RetainObject(object);
  return object;
}
