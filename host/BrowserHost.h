// The test browser: loads a plug-in DLL the way an NPAPI browser on Windows
// does and implements the browser functions it calls, strictly. Every block
// from memalloc and every live object is accounted, so a test can assert that a
// call leaked nothing and freed nothing twice. One browser per process, as
// NPAPI's function tables carry no context.
#pragma once

#include "common/WinHandles.h"
#include "plugin/NpapiTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nphost {

constexpr char kPalomirMimeType[] =
    "application/palomir-firefox-plugin_10_16_0_0";

// What the browser holds right now, and what went wrong so far.
struct Ledger {
  long liveBlocks = 0;     // memalloc blocks not yet freed
  long liveObjects = 0;    // objects created and not yet deallocated
  long badFrees = 0;       // memfree of a block not live (twice, or foreign)
  long badReleases = 0;    // retain/release of an object not live
  long badVariants = 0;    // a string result not from memalloc, or past its end
  long overruns = 0;       // memfree of a block written past its end
  long badIdentifiers = 0; // an identifier this browser never made, or null
  long badObjects = 0;     // an object handed over that the browser never made
  bool operator==(const Ledger &o) const {
    return liveBlocks == o.liveBlocks && liveObjects == o.liveObjects &&
           badFrees == o.badFrees && badReleases == o.badReleases &&
           badVariants == o.badVariants && overruns == o.overruns &&
           badIdentifiers == o.badIdentifiers && badObjects == o.badObjects;
  }
  bool operator!=(const Ledger &o) const { return !(*this == o); }
};
Ledger CurrentLedger();
// True when nothing is live and nothing went wrong.
bool LedgerClean();
// One line naming every nonzero count, e.g. "liveBlocks=1 badFrees=1".
std::string DescribeLedger(const Ledger &ledger);
// The size asked for a live memalloc block (utf8fromidentifier copies
// included); 0 when the pointer is no live block.
std::size_t LiveBlockSize(const void *block);

// Fault injection for tests: the next `count` memalloc / createobject calls
// fail. Only the plug-in's own NPN_MemAlloc calls count: the copies that
// utf8fromidentifier makes still succeed, so a test can aim at one allocation.
void FailNextMemAlloc(int count = 1);
void FailNextCreateObject(int count = 1);

// Identifiers as NPN_GetStringIdentifier / NPN_GetIntIdentifier make them.
NPIdentifier StringIdentifier(const std::string &name);
NPIdentifier IntIdentifier(int32_t value);

// The browser's function table, every entry filled; size and version as given.
NPNetscapeFuncs MakeBrowserFuncs(uint16_t size = sizeof(NPNetscapeFuncs),
                                 uint16_t version = (NP_VERSION_MAJOR << 8) |
                                                    NP_VERSION_MINOR);

// The message of the last NPN_SetException, cleared when a call starts.
const std::string &LastException();
bool ExceptionSet();

// Number of calls the plug-in made into the browser table so far (any entry).
// The host's own bookkeeping (releasing a result, dropping the script's
// reference) is not counted.
long BrowserCallCount();
// The same for one entry, e.g. offsetof(NPNetscapeFuncs, releaseobject).
long BrowserCallCount(std::size_t entryOffset);
// Calls of the entries this browser does not implement; each answered the
// standard failure (NPERR_GENERIC_ERROR, false, null, 0; -1 for write).
long UnsupportedCallCount();

// Reads the string value named `key` of the first translation of a file's
// version resource; empty when absent.
std::wstring VersionString(const std::wstring &path, const std::wstring &key);

// True when `mimeType` is one of the '|'- or ';'-separated `declared` types,
// compared without regard to ASCII letter case as MIME types are.
bool DeclaresMimeType(const std::string &declared, const std::string &mimeType);

// One loaded plug-in library.
class PluginLibrary {
public:
  // Loads the DLL with LoadLibraryW after checking that its version resource
  // declares `mimeType` (a ';'- or '|'-separated list may hold several). On
  // refusal returns null and says why in `error`.
  static std::unique_ptr<PluginLibrary> Load(const std::wstring &path,
                                             const std::string &mimeType,
                                             std::string &error);
  // NP_Shutdown when it was initialised, then FreeLibrary.
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary &) = delete;
  PluginLibrary &operator=(const PluginLibrary &) = delete;

  // The raw exports, for tests that pass odd tables.
  NPError GetEntryPoints(NPPluginFuncs *funcs);
  NPError Initialize(NPNetscapeFuncs *funcs);
  NPError Shutdown();

  // NP_GetEntryPoints and NP_Initialize with tables of standard size, as a
  // browser does on load. Returns the first error.
  NPError Start();

  // Load, then Start: a library ready for instances, or null with the reason
  // in `error`, a refusal to start included.
  static std::unique_ptr<PluginLibrary> LoadStarted(const std::wstring &path,
                                                    const std::string &mimeType,
                                                    std::string &error);

  const NPPluginFuncs &Funcs() const { return m_funcs; }
  HMODULE Module() const { return m_module.get(); }
  // The MIMEType text of the version resource, as UTF-8.
  const std::string &DeclaredMimeTypes() const { return m_mimeTypes; }

private:
  PluginLibrary() = default;
  std::string m_mimeTypes;
  UniqueModule m_module;
  NP_GetEntryPointsFunc m_getEntryPoints = nullptr;
  NP_InitializeFunc m_initialize = nullptr;
  NP_ShutdownFunc m_shutdown = nullptr;
  NPPluginFuncs m_funcs = {};
  NPNetscapeFuncs m_browserFuncs = {};
  bool m_initialized = false;
};

// What a script call gave back.
struct CallResult {
  bool succeeded = false; // what the class slot returned
  NPVariantType type = NPVariantType_Void;
  std::string text;       // a string result's exact bytes
  bool boolValue = false; // the other kinds of result
  int32_t intValue = 0;
  double doubleValue = 0;
  bool exceptionSet = false; // NPN_SetException during the call
  std::string exception;
};

// One embedded object: NPP_New .. NPP_Destroy, with the scriptable object.
class PluginInstance {
public:
  explicit PluginInstance(PluginLibrary &library);
  // Destroy() when still alive, then drops the script's reference.
  ~PluginInstance();
  PluginInstance(const PluginInstance &) = delete;
  PluginInstance &operator=(const PluginInstance &) = delete;

  NPError New(); // NPP_New with the Palomir MIME type, NP_EMBED
  // NPP_SetWindow with a message-only window (or the given handle).
  NPError SetWindow();
  NPError SetWindow(void *handle);
  // NPP_GetValue(NPPVpluginScriptableNPObject) once; the host keeps the
  // reference it receives, as page script would, until Destroy.
  NPObject *ScriptableObject();
  NPError Destroy(); // NPP_Destroy, then the script's reference is dropped
  // NPP_GetValue as it stands, for variables other than the object.
  NPError GetValue(NPPVariable variable, void *value);
  bool Alive() const { return m_alive; }

  // Script calls on the scriptable object; the result is released as a
  // browser would after the script read it. A failed call's result is left
  // alone, as a browser ignores it: anything the plug-in stored there is its
  // own leak.
  CallResult Invoke(const std::string &method,
                    const std::vector<NPVariant> &args = {});
  CallResult InvokeStrings(const std::string &method,
                           const std::vector<std::string> &args);
  CallResult Invoke(NPIdentifier method, const std::vector<NPVariant> &args);
  CallResult InvokeDefault(const std::vector<NPVariant> &args = {});
  CallResult GetProperty(const std::string &name);

  NPP Npp() { return &m_npp; }

private:
  CallResult Finish(bool succeeded, NPVariant &result);
  PluginLibrary &m_library;
  NPP_t m_npp = {};
  NPWindow m_window = {};
  UniqueWindow m_hwnd;
  std::string m_mimeType;
  NPObject *m_scriptObject = nullptr;
  bool m_alive = false;
};

// Makes a string variant over bytes the caller keeps alive.
NPVariant StringVariant(const std::string &bytes);

} // namespace nphost
