// The NPAPI plug-in interface as browsers on 32-bit Windows implement it: the
// types, constants and function tables of the published interface, spelled as
// the standard spells them. (Not named npapi.h: MinGW ships an unrelated header
// of that name.) The static_asserts pin the 32-bit layout that browsers check.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

extern "C" {

// ---- Basic types ----------------------------------------------------------

typedef unsigned char NPBool;
typedef int16_t NPError;
typedef int16_t NPReason;
typedef char *NPMIMEType;
typedef char NPUTF8;

#define NP_VERSION_MAJOR 0
#define NP_VERSION_MINOR 29

#define NP_EMBED 1
#define NP_FULL 2

#define NP_NORMAL 1
#define NP_SEEK 2
#define NP_ASFILE 3
#define NP_ASFILEONLY 4

#define NP_MAXREADY (((unsigned)(~0) << 4) >> 4)

#define NPERR_BASE 0
#define NPERR_NO_ERROR (NPERR_BASE + 0)
#define NPERR_GENERIC_ERROR (NPERR_BASE + 1)
#define NPERR_INVALID_INSTANCE_ERROR (NPERR_BASE + 2)
#define NPERR_INVALID_FUNCTABLE_ERROR (NPERR_BASE + 3)
#define NPERR_MODULE_LOAD_FAILED_ERROR (NPERR_BASE + 4)
#define NPERR_OUT_OF_MEMORY_ERROR (NPERR_BASE + 5)
#define NPERR_INVALID_PLUGIN_ERROR (NPERR_BASE + 6)
#define NPERR_INVALID_PLUGIN_DIR_ERROR (NPERR_BASE + 7)
#define NPERR_INCOMPATIBLE_VERSION_ERROR (NPERR_BASE + 8)
#define NPERR_INVALID_PARAM (NPERR_BASE + 9)
#define NPERR_INVALID_URL (NPERR_BASE + 10)
#define NPERR_FILE_NOT_FOUND (NPERR_BASE + 11)
#define NPERR_NO_DATA (NPERR_BASE + 12)
#define NPERR_STREAM_NOT_SEEKABLE (NPERR_BASE + 13)
#define NPERR_TIME_RANGE_NOT_SUPPORTED (NPERR_BASE + 14)
#define NPERR_MALFORMED_SITE (NPERR_BASE + 15)

#define NPRES_BASE 0
#define NPRES_DONE (NPRES_BASE + 0)
#define NPRES_NETWORK_ERR (NPRES_BASE + 1)
#define NPRES_USER_BREAK (NPRES_BASE + 2)

typedef struct _NPP {
  void *pdata; // the plug-in's instance data
  void *ndata; // the browser's instance data
} NPP_t;
typedef NPP_t *NPP;

typedef struct _NPStream {
  void *pdata;
  void *ndata;
  const char *url;
  uint32_t end;
  uint32_t lastmodified;
  void *notifyData;
  const char *headers;
} NPStream;

typedef struct _NPByteRange {
  int32_t offset;
  uint32_t length;
  struct _NPByteRange *next;
} NPByteRange;

typedef struct _NPSavedData {
  int32_t len;
  void *buf;
} NPSavedData;

typedef struct _NPRect {
  uint16_t top;
  uint16_t left;
  uint16_t bottom;
  uint16_t right;
} NPRect;

typedef struct _NPSize {
  int32_t width;
  int32_t height;
} NPSize;

typedef HRGN NPRegion;

typedef enum { NPWindowTypeWindow = 1, NPWindowTypeDrawable } NPWindowType;

typedef struct _NPWindow {
  void *window; // HWND for a windowed plug-in on Windows
  int32_t x;
  int32_t y;
  uint32_t width;
  uint32_t height;
  NPRect clipRect;
  NPWindowType type;
} NPWindow;

typedef struct _NPFullPrint {
  NPBool pluginPrinted;
  NPBool printOne;
  void *platformPrint;
} NPFullPrint;

typedef struct _NPEmbedPrint {
  NPWindow window;
  void *platformPrint;
} NPEmbedPrint;

typedef struct _NPPrint {
  uint16_t mode;
  union {
    NPFullPrint fullPrint;
    NPEmbedPrint embedPrint;
  } print;
} NPPrint;

typedef enum { NPFocusNext = 0, NPFocusPrevious = 1 } NPFocusDirection;

typedef enum {
  NPCoordinateSpacePlugin = 1,
  NPCoordinateSpaceWindow,
  NPCoordinateSpaceFlippedWindow,
  NPCoordinateSpaceScreen,
  NPCoordinateSpaceFlippedScreen
} NPCoordinateSpace;

typedef enum { NPNURLVCookie = 501, NPNURLVProxy } NPNURLVariable;

typedef void *NPMenu;

// ---- Variables of NPP_GetValue / NPN_GetValue -------------------------------

typedef enum {
  NPPVpluginNameString = 1,
  NPPVpluginDescriptionString,
  NPPVpluginWindowBool,
  NPPVpluginTransparentBool,
  NPPVjavaClass,
  NPPVpluginWindowSize,
  NPPVpluginTimerInterval,
  NPPVpluginScriptableInstance = (10 << 8),
  NPPVpluginScriptableIID = 11,
  NPPVjavascriptPushCallerBool = 12,
  NPPVpluginKeepLibraryInMemory = 13,
  NPPVpluginNeedsXEmbed = 14,
  NPPVpluginScriptableNPObject = 15,
  NPPVformValue = 16,
  NPPVpluginUrlRequestsDisplayedBool = 17,
  NPPVpluginWantsAllNetworkStreams = 18,
  NPPVpluginNativeAccessibleAtkPlugId = 19,
  NPPVpluginCancelSrcStream = 20,
  NPPVsupportsAdvancedKeyHandling = 21,
  NPPVpluginUsesDOMForCursorBool = 22,
  NPPVpluginDrawingModel = 1000
} NPPVariable;

typedef enum {
  NPNVxDisplay = 1,
  NPNVxtAppContext,
  NPNVnetscapeWindow,
  NPNVjavascriptEnabledBool,
  NPNVasdEnabledBool,
  NPNVisOfflineBool,
  NPNVserviceManager = (10 << 8),
  NPNVDOMElement = 11,
  NPNVDOMWindow = 12,
  NPNVToolkit = 13,
  NPNVSupportsXEmbedBool = 14,
  NPNVWindowNPObject = 15,
  NPNVPluginElementNPObject = 16,
  NPNVSupportsWindowless = 17,
  NPNVprivateModeBool = 18,
  NPNVsupportsAdvancedKeyHandling = 21,
  NPNVdocumentOrigin = 22
} NPNVariable;

// ---- Scripting (npruntime) ------------------------------------------------

typedef void *NPIdentifier;

typedef struct NPObject NPObject;
typedef struct NPClass NPClass;

typedef struct _NPString {
  const NPUTF8 *UTF8Characters;
  uint32_t UTF8Length;
} NPString;

typedef enum {
  NPVariantType_Void,
  NPVariantType_Null,
  NPVariantType_Bool,
  NPVariantType_Int32,
  NPVariantType_Double,
  NPVariantType_String,
  NPVariantType_Object
} NPVariantType;

typedef struct _NPVariant {
  NPVariantType type;
  union {
    bool boolValue;
    int32_t intValue;
    double doubleValue;
    NPString stringValue;
    NPObject *objectValue;
  } value;
} NPVariant;

typedef NPObject *(*NPAllocateFunctionPtr)(NPP npp, NPClass *aClass);
typedef void (*NPDeallocateFunctionPtr)(NPObject *npobj);
typedef void (*NPInvalidateFunctionPtr)(NPObject *npobj);
typedef bool (*NPHasMethodFunctionPtr)(NPObject *npobj, NPIdentifier name);
typedef bool (*NPInvokeFunctionPtr)(NPObject *npobj, NPIdentifier name,
                                    const NPVariant *args, uint32_t argCount,
                                    NPVariant *result);
typedef bool (*NPInvokeDefaultFunctionPtr)(NPObject *npobj,
                                           const NPVariant *args,
                                           uint32_t argCount,
                                           NPVariant *result);
typedef bool (*NPHasPropertyFunctionPtr)(NPObject *npobj, NPIdentifier name);
typedef bool (*NPGetPropertyFunctionPtr)(NPObject *npobj, NPIdentifier name,
                                         NPVariant *result);
typedef bool (*NPSetPropertyFunctionPtr)(NPObject *npobj, NPIdentifier name,
                                         const NPVariant *value);
typedef bool (*NPRemovePropertyFunctionPtr)(NPObject *npobj, NPIdentifier name);
typedef bool (*NPEnumerationFunctionPtr)(NPObject *npobj, NPIdentifier **value,
                                         uint32_t *count);
typedef bool (*NPConstructFunctionPtr)(NPObject *npobj, const NPVariant *args,
                                       uint32_t argCount, NPVariant *result);

#define NP_CLASS_STRUCT_VERSION 3

struct NPClass {
  uint32_t structVersion;
  NPAllocateFunctionPtr allocate;
  NPDeallocateFunctionPtr deallocate;
  NPInvalidateFunctionPtr invalidate;
  NPHasMethodFunctionPtr hasMethod;
  NPInvokeFunctionPtr invoke;
  NPInvokeDefaultFunctionPtr invokeDefault;
  NPHasPropertyFunctionPtr hasProperty;
  NPGetPropertyFunctionPtr getProperty;
  NPSetPropertyFunctionPtr setProperty;
  NPRemovePropertyFunctionPtr removeProperty;
  NPEnumerationFunctionPtr enumerate;
  NPConstructFunctionPtr construct;
};

struct NPObject {
  NPClass *_class;
  uint32_t referenceCount;
};

// ---- Plug-in side function table (npfunctions) -----------------------------

typedef NPError (*NPP_NewProcPtr)(NPMIMEType pluginType, NPP instance,
                                  uint16_t mode, int16_t argc, char *argn[],
                                  char *argv[], NPSavedData *saved);
typedef NPError (*NPP_DestroyProcPtr)(NPP instance, NPSavedData **save);
typedef NPError (*NPP_SetWindowProcPtr)(NPP instance, NPWindow *window);
typedef NPError (*NPP_NewStreamProcPtr)(NPP instance, NPMIMEType type,
                                        NPStream *stream, NPBool seekable,
                                        uint16_t *stype);
typedef NPError (*NPP_DestroyStreamProcPtr)(NPP instance, NPStream *stream,
                                            NPReason reason);
typedef int32_t (*NPP_WriteReadyProcPtr)(NPP instance, NPStream *stream);
typedef int32_t (*NPP_WriteProcPtr)(NPP instance, NPStream *stream,
                                    int32_t offset, int32_t len, void *buffer);
typedef void (*NPP_StreamAsFileProcPtr)(NPP instance, NPStream *stream,
                                        const char *fname);
typedef void (*NPP_PrintProcPtr)(NPP instance, NPPrint *platformPrint);
typedef int16_t (*NPP_HandleEventProcPtr)(NPP instance, void *event);
typedef void (*NPP_URLNotifyProcPtr)(NPP instance, const char *url,
                                     NPReason reason, void *notifyData);
typedef NPError (*NPP_GetValueProcPtr)(NPP instance, NPPVariable variable,
                                       void *ret_value);
typedef NPError (*NPP_SetValueProcPtr)(NPP instance, NPNVariable variable,
                                       void *value);
typedef NPBool (*NPP_GotFocusPtr)(NPP instance, NPFocusDirection direction);
typedef void (*NPP_LostFocusPtr)(NPP instance);
typedef void (*NPP_URLRedirectNotifyPtr)(NPP instance, const char *url,
                                         int32_t status, void *notifyData);
typedef NPError (*NPP_ClearSiteDataPtr)(const char *site, uint64_t flags,
                                        uint64_t maxAge);
typedef char **(*NPP_GetSitesWithDataPtr)(void);
typedef void (*NPP_DidCompositePtr)(NPP instance);

typedef struct _NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProcPtr newp;
  NPP_DestroyProcPtr destroy;
  NPP_SetWindowProcPtr setwindow;
  NPP_NewStreamProcPtr newstream;
  NPP_DestroyStreamProcPtr destroystream;
  NPP_StreamAsFileProcPtr asfile;
  NPP_WriteReadyProcPtr writeready;
  NPP_WriteProcPtr write;
  NPP_PrintProcPtr print;
  NPP_HandleEventProcPtr event;
  NPP_URLNotifyProcPtr urlnotify;
  void *javaClass;
  NPP_GetValueProcPtr getvalue;
  NPP_SetValueProcPtr setvalue;
  NPP_GotFocusPtr gotfocus;
  NPP_LostFocusPtr lostfocus;
  NPP_URLRedirectNotifyPtr urlredirectnotify;
  NPP_ClearSiteDataPtr clearsitedata;
  NPP_GetSitesWithDataPtr getsiteswithdata;
  NPP_DidCompositePtr didComposite;
} NPPluginFuncs;

// ---- Browser side function table --------------------------------------------

typedef NPError (*NPN_GetURLProcPtr)(NPP instance, const char *url,
                                     const char *window);
typedef NPError (*NPN_PostURLProcPtr)(NPP instance, const char *url,
                                      const char *window, uint32_t len,
                                      const char *buf, NPBool file);
typedef NPError (*NPN_RequestReadProcPtr)(NPStream *stream,
                                          NPByteRange *rangeList);
typedef NPError (*NPN_NewStreamProcPtr)(NPP instance, NPMIMEType type,
                                        const char *window, NPStream **stream);
typedef int32_t (*NPN_WriteProcPtr)(NPP instance, NPStream *stream, int32_t len,
                                    void *buffer);
typedef NPError (*NPN_DestroyStreamProcPtr)(NPP instance, NPStream *stream,
                                            NPReason reason);
typedef void (*NPN_StatusProcPtr)(NPP instance, const char *message);
typedef const char *(*NPN_UserAgentProcPtr)(NPP instance);
typedef void *(*NPN_MemAllocProcPtr)(uint32_t size);
typedef void (*NPN_MemFreeProcPtr)(void *ptr);
typedef uint32_t (*NPN_MemFlushProcPtr)(uint32_t size);
typedef void (*NPN_ReloadPluginsProcPtr)(NPBool reloadPages);
typedef void *(*NPN_GetJavaEnvProcPtr)(void);
typedef void *(*NPN_GetJavaPeerProcPtr)(NPP instance);
typedef NPError (*NPN_GetURLNotifyProcPtr)(NPP instance, const char *url,
                                           const char *window,
                                           void *notifyData);
typedef NPError (*NPN_PostURLNotifyProcPtr)(NPP instance, const char *url,
                                            const char *window, uint32_t len,
                                            const char *buf, NPBool file,
                                            void *notifyData);
typedef NPError (*NPN_GetValueProcPtr)(NPP instance, NPNVariable variable,
                                       void *ret_value);
typedef NPError (*NPN_SetValueProcPtr)(NPP instance, NPPVariable variable,
                                       void *value);
typedef void (*NPN_InvalidateRectProcPtr)(NPP instance, NPRect *rect);
typedef void (*NPN_InvalidateRegionProcPtr)(NPP instance, NPRegion region);
typedef void (*NPN_ForceRedrawProcPtr)(NPP instance);
typedef NPIdentifier (*NPN_GetStringIdentifierProcPtr)(const NPUTF8 *name);
typedef void (*NPN_GetStringIdentifiersProcPtr)(const NPUTF8 **names,
                                                int32_t nameCount,
                                                NPIdentifier *identifiers);
typedef NPIdentifier (*NPN_GetIntIdentifierProcPtr)(int32_t intid);
typedef bool (*NPN_IdentifierIsStringProcPtr)(NPIdentifier identifier);
typedef NPUTF8 *(*NPN_UTF8FromIdentifierProcPtr)(NPIdentifier identifier);
typedef int32_t (*NPN_IntFromIdentifierProcPtr)(NPIdentifier identifier);
typedef NPObject *(*NPN_CreateObjectProcPtr)(NPP npp, NPClass *aClass);
typedef NPObject *(*NPN_RetainObjectProcPtr)(NPObject *obj);
typedef void (*NPN_ReleaseObjectProcPtr)(NPObject *obj);
typedef bool (*NPN_InvokeProcPtr)(NPP npp, NPObject *obj,
                                  NPIdentifier methodName,
                                  const NPVariant *args, uint32_t argCount,
                                  NPVariant *result);
typedef bool (*NPN_InvokeDefaultProcPtr)(NPP npp, NPObject *obj,
                                         const NPVariant *args,
                                         uint32_t argCount, NPVariant *result);
typedef bool (*NPN_EvaluateProcPtr)(NPP npp, NPObject *obj, NPString *script,
                                    NPVariant *result);
typedef bool (*NPN_GetPropertyProcPtr)(NPP npp, NPObject *obj,
                                       NPIdentifier propertyName,
                                       NPVariant *result);
typedef bool (*NPN_SetPropertyProcPtr)(NPP npp, NPObject *obj,
                                       NPIdentifier propertyName,
                                       const NPVariant *value);
typedef bool (*NPN_RemovePropertyProcPtr)(NPP npp, NPObject *obj,
                                          NPIdentifier propertyName);
typedef bool (*NPN_HasPropertyProcPtr)(NPP npp, NPObject *obj,
                                       NPIdentifier propertyName);
typedef bool (*NPN_HasMethodProcPtr)(NPP npp, NPObject *obj,
                                     NPIdentifier propertyName);
typedef void (*NPN_ReleaseVariantValueProcPtr)(NPVariant *variant);
typedef void (*NPN_SetExceptionProcPtr)(NPObject *obj, const NPUTF8 *message);
typedef void (*NPN_PushPopupsEnabledStateProcPtr)(NPP npp, NPBool enabled);
typedef void (*NPN_PopPopupsEnabledStateProcPtr)(NPP npp);
typedef bool (*NPN_EnumerateProcPtr)(NPP npp, NPObject *obj,
                                     NPIdentifier **identifier,
                                     uint32_t *count);
typedef void (*NPN_PluginThreadAsyncCallProcPtr)(NPP instance,
                                                 void (*func)(void *),
                                                 void *userData);
typedef bool (*NPN_ConstructProcPtr)(NPP npp, NPObject *obj,
                                     const NPVariant *args, uint32_t argCount,
                                     NPVariant *result);
typedef NPError (*NPN_GetValueForURLPtr)(NPP npp, NPNURLVariable variable,
                                         const char *url, char **value,
                                         uint32_t *len);
typedef NPError (*NPN_SetValueForURLPtr)(NPP npp, NPNURLVariable variable,
                                         const char *url, const char *value,
                                         uint32_t len);
typedef NPError (*NPN_GetAuthenticationInfoPtr)(
    NPP npp, const char *protocol, const char *host, int32_t port,
    const char *scheme, const char *realm, char **username, uint32_t *ulen,
    char **password, uint32_t *plen);
typedef uint32_t (*NPN_ScheduleTimerPtr)(NPP instance, uint32_t interval,
                                         NPBool repeat,
                                         void (*timerFunc)(NPP npp,
                                                           uint32_t timerID));
typedef void (*NPN_UnscheduleTimerPtr)(NPP instance, uint32_t timerID);
typedef NPError (*NPN_PopUpContextMenuPtr)(NPP instance, NPMenu *menu);
typedef NPBool (*NPN_ConvertPointPtr)(NPP instance, double sourceX,
                                      double sourceY,
                                      NPCoordinateSpace sourceSpace,
                                      double *destX, double *destY,
                                      NPCoordinateSpace destSpace);
typedef NPBool (*NPN_HandleEventPtr)(NPP instance, void *event, NPBool handled);
typedef NPBool (*NPN_UnfocusInstancePtr)(NPP instance,
                                         NPFocusDirection direction);
typedef void (*NPN_URLRedirectResponsePtr)(NPP instance, void *notifyData,
                                           NPBool allow);

typedef struct _NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
  NPN_GetURLProcPtr geturl;
  NPN_PostURLProcPtr posturl;
  NPN_RequestReadProcPtr requestread;
  NPN_NewStreamProcPtr newstream;
  NPN_WriteProcPtr write;
  NPN_DestroyStreamProcPtr destroystream;
  NPN_StatusProcPtr status;
  NPN_UserAgentProcPtr uagent;
  NPN_MemAllocProcPtr memalloc;
  NPN_MemFreeProcPtr memfree;
  NPN_MemFlushProcPtr memflush;
  NPN_ReloadPluginsProcPtr reloadplugins;
  NPN_GetJavaEnvProcPtr getJavaEnv;
  NPN_GetJavaPeerProcPtr getJavaPeer;
  NPN_GetURLNotifyProcPtr geturlnotify;
  NPN_PostURLNotifyProcPtr posturlnotify;
  NPN_GetValueProcPtr getvalue;
  NPN_SetValueProcPtr setvalue;
  NPN_InvalidateRectProcPtr invalidaterect;
  NPN_InvalidateRegionProcPtr invalidateregion;
  NPN_ForceRedrawProcPtr forceredraw;
  NPN_GetStringIdentifierProcPtr getstringidentifier;
  NPN_GetStringIdentifiersProcPtr getstringidentifiers;
  NPN_GetIntIdentifierProcPtr getintidentifier;
  NPN_IdentifierIsStringProcPtr identifierisstring;
  NPN_UTF8FromIdentifierProcPtr utf8fromidentifier;
  NPN_IntFromIdentifierProcPtr intfromidentifier;
  NPN_CreateObjectProcPtr createobject;
  NPN_RetainObjectProcPtr retainobject;
  NPN_ReleaseObjectProcPtr releaseobject;
  NPN_InvokeProcPtr invoke;
  NPN_InvokeDefaultProcPtr invokeDefault;
  NPN_EvaluateProcPtr evaluate;
  NPN_GetPropertyProcPtr getproperty;
  NPN_SetPropertyProcPtr setproperty;
  NPN_RemovePropertyProcPtr removeproperty;
  NPN_HasPropertyProcPtr hasproperty;
  NPN_HasMethodProcPtr hasmethod;
  NPN_ReleaseVariantValueProcPtr releasevariantvalue;
  NPN_SetExceptionProcPtr setexception;
  NPN_PushPopupsEnabledStateProcPtr pushpopupsenabledstate;
  NPN_PopPopupsEnabledStateProcPtr poppopupsenabledstate;
  NPN_EnumerateProcPtr enumerate;
  NPN_PluginThreadAsyncCallProcPtr pluginthreadasynccall;
  NPN_ConstructProcPtr construct;
  NPN_GetValueForURLPtr getvalueforurl;
  NPN_SetValueForURLPtr setvalueforurl;
  NPN_GetAuthenticationInfoPtr getauthenticationinfo;
  NPN_ScheduleTimerPtr scheduletimer;
  NPN_UnscheduleTimerPtr unscheduletimer;
  NPN_PopUpContextMenuPtr popupcontextmenu;
  NPN_ConvertPointPtr convertpoint;
  NPN_HandleEventPtr handleevent;
  NPN_UnfocusInstancePtr unfocusinstance;
  NPN_URLRedirectResponsePtr urlredirectresponse;
} NPNetscapeFuncs;

// ---- Exports of a Windows plug-in
// ---------------------------------------------

typedef NPError(WINAPI *NP_GetEntryPointsFunc)(NPPluginFuncs *pFuncs);
typedef NPError(WINAPI *NP_InitializeFunc)(NPNetscapeFuncs *bFuncs);
typedef NPError(WINAPI *NP_ShutdownFunc)(void);

} // extern "C"

// ---- The 32-bit layout that browsers check
// ------------------------------------

static_assert(sizeof(void *) == 4, "the plug-in is a 32-bit library");

// The plug-in table of the standard through setvalue.
constexpr std::size_t kPluginFuncsThroughSetValue =
    offsetof(NPPluginFuncs, setvalue) + sizeof(NPP_SetValueProcPtr);
static_assert(kPluginFuncsThroughSetValue == 60);
static_assert(offsetof(NPPluginFuncs, newp) == 4);
static_assert(offsetof(NPPluginFuncs, javaClass) == 48);

// The browser table through setexception (what is kept) and through
// getauthenticationinfo (what must be offered).
constexpr std::size_t kNetscapeFuncsThroughSetException =
    offsetof(NPNetscapeFuncs, setexception) + sizeof(NPN_SetExceptionProcPtr);
constexpr std::size_t kNetscapeFuncsThroughGetAuthenticationInfo =
    offsetof(NPNetscapeFuncs, getauthenticationinfo) +
    sizeof(NPN_GetAuthenticationInfoPtr);
static_assert(kNetscapeFuncsThroughSetException == 164);
static_assert(kNetscapeFuncsThroughGetAuthenticationInfo == 196);
static_assert(offsetof(NPNetscapeFuncs, geturl) == 4);
static_assert(offsetof(NPNetscapeFuncs, memalloc) == 36);
static_assert(offsetof(NPNetscapeFuncs, utf8fromidentifier) == 104);

static_assert(sizeof(NPP_t) == 8);
static_assert(sizeof(NPString) == 8);
static_assert(sizeof(NPVariant) == 16);
static_assert(offsetof(NPVariant, value) == 8);
static_assert(sizeof(NPObject) == 8);
static_assert(sizeof(NPClass) == 52);
static_assert(sizeof(NPWindow) == 32);
static_assert(sizeof(NPRect) == 8);
static_assert(sizeof(NPSavedData) == 8);
static_assert(sizeof(NPStream) == 28);
static_assert(sizeof(NPError) == 2);
