// The test browser's loader and instances: loads a plug-in library after
// checking its registration, hands it the standard tables, and drives one
// embedded object from NPP_New to NPP_Destroy the way a page would.
#include "host/BrowserHost.h"
#include "host/BrowserState.h"
#include "host/HostText.h"

#include <cstdio>

namespace nphost {
namespace {

std::string CodeText(DWORD code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(code));
  return text;
}

std::wstring FullPath(const std::wstring &path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0)
    return path;
  std::wstring full(length, L'\0');
  const DWORD written =
      GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
  full.resize(written);
  return full;
}

template <typename Fn> Fn Export(HMODULE module, const char *name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void *>(GetProcAddress(module, name)));
}

HWND CreateMessageWindow() {
  // No display here: a message-only window is still a real HWND.
  return CreateWindowExW(0, L"STATIC", L"nphost", 0, 0, 0, 0, 0, HWND_MESSAGE,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

// ---- PluginLibrary
// -----------------------------------------------------------

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::wstring &path,
                                                   const std::string &mimeType,
                                                   std::string &error) {
  const std::wstring full = FullPath(path);
  const std::string shown = Utf8ForMessage(full);
  if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = "no such file: " + shown;
    return nullptr;
  }
  // The registration is read before the library is loaded, so a library that
  // is not the plug-in asked for never runs any code.
  const std::string declared = Utf8ForMessage(VersionString(full, L"MIMEType"));
  if (declared.empty()) {
    error = shown + " declares no MIME type in its version resource";
    return nullptr;
  }
  if (!DeclaresMimeType(declared, mimeType)) {
    error = shown + " declares MIME type \"" + declared + "\", not \"" +
            mimeType + "\"";
    return nullptr;
  }

  std::unique_ptr<PluginLibrary> library(new PluginLibrary);
  library->m_mimeTypes = declared;
  library->m_module.reset(LoadLibraryW(full.c_str()));
  if (!library->m_module) {
    error = "LoadLibraryW failed for " + shown + " (" +
            CodeText(GetLastError()) + ")";
    return nullptr;
  }
  HMODULE module = library->m_module.get();
  library->m_getEntryPoints =
      Export<NP_GetEntryPointsFunc>(module, "NP_GetEntryPoints");
  library->m_initialize = Export<NP_InitializeFunc>(module, "NP_Initialize");
  library->m_shutdown = Export<NP_ShutdownFunc>(module, "NP_Shutdown");
  if (!library->m_getEntryPoints || !library->m_initialize ||
      !library->m_shutdown) {
    error = shown + " does not export NP_GetEntryPoints, NP_Initialize and "
                    "NP_Shutdown";
    return nullptr;
  }
  return library;
}

PluginLibrary::~PluginLibrary() {
  if (m_initialized)
    Shutdown();
}

NPError PluginLibrary::GetEntryPoints(NPPluginFuncs *funcs) {
  return m_getEntryPoints(funcs);
}

NPError PluginLibrary::Initialize(NPNetscapeFuncs *funcs) {
  const NPError error = m_initialize(funcs);
  if (error == NPERR_NO_ERROR)
    m_initialized = true;
  return error;
}

NPError PluginLibrary::Shutdown() {
  m_initialized = false;
  return m_shutdown();
}

NPError PluginLibrary::Start() {
  m_funcs = {};
  m_funcs.size = sizeof(NPPluginFuncs);
  NPError error = GetEntryPoints(&m_funcs);
  if (error != NPERR_NO_ERROR)
    return error;
  if ((m_funcs.version >> 8) > NP_VERSION_MAJOR)
    return NPERR_INCOMPATIBLE_VERSION_ERROR;
  m_browserFuncs = MakeBrowserFuncs();
  return Initialize(&m_browserFuncs);
}

std::unique_ptr<PluginLibrary>
PluginLibrary::LoadStarted(const std::wstring &path,
                           const std::string &mimeType, std::string &error) {
  std::unique_ptr<PluginLibrary> library = Load(path, mimeType, error);
  if (!library)
    return nullptr;
  if (const NPError started = library->Start()) {
    error = "the plug-in refused to start (NPError " + std::to_string(started) +
            ")";
    return nullptr;
  }
  return library;
}

// ---- PluginInstance
// ------------------------------------------------------------

PluginInstance::PluginInstance(PluginLibrary &library)
    : m_library(library), m_mimeType(kPalomirMimeType) {
  m_npp.ndata = this;
}

PluginInstance::~PluginInstance() {
  if (m_alive)
    Destroy();
}

NPError PluginInstance::New() {
  if (m_alive || !m_library.Funcs().newp)
    return NPERR_GENERIC_ERROR;
  // The attributes of <embed type="...">, as a page gives them.
  char typeName[] = "type";
  char *names[] = {typeName};
  char *values[] = {&m_mimeType[0]};
  const NPError error = m_library.Funcs().newp(&m_mimeType[0], &m_npp, NP_EMBED,
                                               1, names, values, nullptr);
  m_alive = error == NPERR_NO_ERROR;
  return error;
}

NPError PluginInstance::SetWindow() {
  if (!m_hwnd)
    m_hwnd.reset(CreateMessageWindow());
  return SetWindow(m_hwnd.get());
}

NPError PluginInstance::SetWindow(void *handle) {
  if (!m_alive || !m_library.Funcs().setwindow)
    return NPERR_INVALID_INSTANCE_ERROR;
  // The size of an <embed> that a page gives no size.
  m_window.window = handle;
  m_window.x = 0;
  m_window.y = 0;
  m_window.width = 300;
  m_window.height = 150;
  m_window.clipRect = NPRect{0, 0, 150, 300};
  m_window.type = NPWindowTypeWindow;
  return m_library.Funcs().setwindow(&m_npp, &m_window);
}

NPError PluginInstance::GetValue(NPPVariable variable, void *value) {
  if (!m_alive || !m_library.Funcs().getvalue)
    return NPERR_INVALID_INSTANCE_ERROR;
  return m_library.Funcs().getvalue(&m_npp, variable, value);
}

NPObject *PluginInstance::ScriptableObject() {
  if (m_scriptObject || !m_alive)
    return m_scriptObject;
  NPObject *object = nullptr;
  if (GetValue(NPPVpluginScriptableNPObject, &object) != NPERR_NO_ERROR ||
      !object)
    return nullptr;
  if (!state::IsLiveObject(object)) {
    // Not made by NPN_CreateObject: a browser would crash on it.
    state::CountBadObject();
    return nullptr;
  }
  m_scriptObject = object;
  return m_scriptObject;
}

NPError PluginInstance::Destroy() {
  if (!m_alive)
    return NPERR_NO_ERROR;
  m_alive = false;
  NPError error = NPERR_INVALID_INSTANCE_ERROR;
  if (m_library.Funcs().destroy) {
    NPSavedData *saved = nullptr;
    error = m_library.Funcs().destroy(&m_npp, &saved);
    // Saved data belongs to the browser, which frees it with NPN_MemFree.
    if (saved) {
      state::MemFree(saved->buf);
      state::MemFree(saved);
    }
  }
  NPObject *object = m_scriptObject;
  m_scriptObject = nullptr;
  state::ReleaseObject(object);
  m_hwnd.reset();
  return error;
}

CallResult PluginInstance::Invoke(const std::string &method,
                                  const std::vector<NPVariant> &args) {
  return Invoke(StringIdentifier(method), args);
}

CallResult PluginInstance::InvokeStrings(const std::string &method,
                                         const std::vector<std::string> &args) {
  std::vector<NPVariant> variants;
  variants.reserve(args.size());
  for (const std::string &arg : args)
    variants.push_back(StringVariant(arg));
  return Invoke(method, variants);
}

CallResult PluginInstance::Invoke(NPIdentifier method,
                                  const std::vector<NPVariant> &args) {
  NPObject *object = ScriptableObject();
  state::BeginCall();
  NPClass *aClass = object ? object->_class : nullptr;
  if (!aClass || !aClass->invoke)
    return CallResult{};
  // Script resolves the name before it calls: no method, no call.
  if (aClass->hasMethod && !aClass->hasMethod(object, method))
    return CallResult{};
  NPVariant result;
  result.type = NPVariantType_Void;
  result.value.objectValue = nullptr;
  const bool succeeded = aClass->invoke(
      object, method, args.data(), static_cast<uint32_t>(args.size()), &result);
  return Finish(succeeded, result);
}

CallResult PluginInstance::InvokeDefault(const std::vector<NPVariant> &args) {
  NPObject *object = ScriptableObject();
  state::BeginCall();
  NPClass *aClass = object ? object->_class : nullptr;
  if (!aClass || !aClass->invokeDefault)
    return CallResult{};
  NPVariant result;
  result.type = NPVariantType_Void;
  result.value.objectValue = nullptr;
  const bool succeeded = aClass->invokeDefault(
      object, args.data(), static_cast<uint32_t>(args.size()), &result);
  return Finish(succeeded, result);
}

CallResult PluginInstance::GetProperty(const std::string &name) {
  NPObject *object = ScriptableObject();
  state::BeginCall();
  NPClass *aClass = object ? object->_class : nullptr;
  if (!aClass || !aClass->getProperty)
    return CallResult{};
  const NPIdentifier identifier = StringIdentifier(name);
  NPVariant result;
  result.type = NPVariantType_Void;
  result.value.objectValue = nullptr;
  // A property the object does not have reads as undefined.
  if (aClass->hasProperty && !aClass->hasProperty(object, identifier))
    return Finish(true, result);
  const bool succeeded = aClass->getProperty(object, identifier, &result);
  return Finish(succeeded, result);
}

CallResult PluginInstance::Finish(bool succeeded, NPVariant &result) {
  CallResult call;
  call.succeeded = succeeded;
  call.type = result.type;
  call.exceptionSet = ExceptionSet();
  call.exception = LastException();
  if (!succeeded)
    return call;
  switch (result.type) {
  case NPVariantType_Bool:
    call.boolValue = result.value.boolValue;
    break;
  case NPVariantType_Int32:
    call.intValue = result.value.intValue;
    break;
  case NPVariantType_Double:
    call.doubleValue = result.value.doubleValue;
    break;
  case NPVariantType_String: {
    const NPString &text = result.value.stringValue;
    uint32_t length = text.UTF8Length;
    // A length past the end of its block would read foreign memory.
    if (state::IsLiveBlock(text.UTF8Characters) &&
        length > LiveBlockSize(text.UTF8Characters)) {
      state::CountBadVariant();
      length = static_cast<uint32_t>(LiveBlockSize(text.UTF8Characters));
    }
    if (text.UTF8Characters)
      call.text.assign(text.UTF8Characters, length);
    break;
  }
  default:
    break;
  }
  // The script has read the value; the browser drops it.
  state::ReleaseVariantValue(&result);
  return call;
}

NPVariant StringVariant(const std::string &bytes) {
  NPVariant variant;
  variant.type = NPVariantType_String;
  variant.value.stringValue.UTF8Characters = bytes.data();
  variant.value.stringValue.UTF8Length = static_cast<uint32_t>(bytes.size());
  return variant;
}

} // namespace nphost
