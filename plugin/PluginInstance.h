// The record the plug-in keeps for one embedded object, hung on its NPP.
#pragma once

#include "plugin/NpapiTypes.h"

class ScriptablePluginObject;

class PluginInstance {
public:
  explicit PluginInstance(NPP instance) : m_instance(instance) {}
  PluginInstance(const PluginInstance &) = delete;
  PluginInstance &operator=(const PluginInstance &) = delete;

  // The instance's scriptable object, created on the first request, with one
  // reference that now belongs to the caller; null when creation failed (the
  // next request tries again).
  NPObject *GetScriptableObject();

  NPP m_instance;
  NPWindow *m_window = nullptr;
  bool m_initialized = false;
  // The record owns one reference to it, released by NPP_Destroy.
  ScriptablePluginObject *m_scriptableObject = nullptr;
  HWND m_hWnd = nullptr;
};
