// The object page script reaches through the embedded element, and its class.
#pragma once

#include "plugin/NpapiTypes.h"
#include "plugin/PalomirFirefoxApiProvider.h"

// What the browser sees is the NPObject part; the conversions below go by the
// base-class relation, since the vtable pointer may sit before that part.
class ScriptablePluginObject : public NPObject {
public:
  explicit ScriptablePluginObject(NPP npp) : NPObject{}, m_npp(npp) {}
  virtual ~ScriptablePluginObject() = default;
  ScriptablePluginObject(const ScriptablePluginObject &) = delete;
  ScriptablePluginObject &operator=(const ScriptablePluginObject &) = delete;

  NPObject *AsNPObject() { return this; }
  // Null stands for no object.
  static ScriptablePluginObject *FromNPObject(NPObject *object) {
    return static_cast<ScriptablePluginObject *>(object);
  }

  CPalomirFirefoxApiProvider m_provider;
  NPP m_npp;
};

// The one class record, handed to NPN_CreateObject.
extern NPClass ScriptablePluginObjectClass;
