// The browser's function table as the plug-in sees it: every entry counts its
// call; the entries this browser implements go to its real operations, and
// every other one answers the standard failure.
#include "host/BrowserHost.h"
#include "host/BrowserState.h"

#include <array>
#include <cstring>
#include <type_traits>

namespace nphost {
namespace {

constexpr std::size_t kEntrySize = sizeof(void *);
constexpr std::size_t kEntries = sizeof(NPNetscapeFuncs) / kEntrySize;

struct Calls {
  long total = 0;
  long unsupported = 0;
  std::array<long, kEntries> byEntry = {};
};

Calls &C() {
  static Calls calls;
  return calls;
}

void Count(std::size_t entryOffset) {
  ++C().total;
  ++C().byEntry[entryOffset / kEntrySize];
}

// What an entry this browser does not implement answers.
template <typename R> R Failure() {
  if constexpr (std::is_void_v<R>)
    return;
  else if constexpr (std::is_pointer_v<R>)
    return nullptr;
  else if constexpr (std::is_same_v<R, NPError>)
    return NPERR_GENERIC_ERROR;
  else if constexpr (std::is_same_v<R, int32_t>)
    return -1; // NPN_Write: nothing written
  else
    return R{}; // false, 0: no timer, nothing flushed, not handled
}

template <typename Entry> struct Unsupported;
template <typename R, typename... Args> struct Unsupported<R (*)(Args...)> {
  template <std::size_t Offset> static R Call(Args...) {
    Count(Offset);
    ++C().unsupported;
    return Failure<R>();
  }
};

#define NPHOST_UNSUPPORTED(entry)                                              \
  table.entry = Unsupported<decltype(table.entry)>::Call<offsetof(             \
      NPNetscapeFuncs, entry)>

// The implemented entries: count, then the browser's own operation.
#define NPHOST_COUNT(entry) Count(offsetof(NPNetscapeFuncs, entry))

void *MemAllocEntry(uint32_t size) {
  NPHOST_COUNT(memalloc);
  return state::MemAlloc(size);
}
void MemFreeEntry(void *block) {
  NPHOST_COUNT(memfree);
  state::MemFree(block);
}
uint32_t MemFlushEntry(uint32_t) {
  NPHOST_COUNT(memflush);
  return 0; // nothing to give back
}
NPIdentifier GetStringIdentifierEntry(const NPUTF8 *name) {
  NPHOST_COUNT(getstringidentifier);
  return state::GetStringIdentifier(name);
}
void GetStringIdentifiersEntry(const NPUTF8 **names, int32_t count,
                               NPIdentifier *identifiers) {
  NPHOST_COUNT(getstringidentifiers);
  if (!names || !identifiers || count < 0) {
    state::CountBadIdentifier();
    return;
  }
  for (int32_t i = 0; i < count; ++i)
    identifiers[i] = state::GetStringIdentifier(names[i]);
}
NPIdentifier GetIntIdentifierEntry(int32_t value) {
  NPHOST_COUNT(getintidentifier);
  return state::GetIntIdentifier(value);
}
bool IdentifierIsStringEntry(NPIdentifier identifier) {
  NPHOST_COUNT(identifierisstring);
  return state::IdentifierIsString(identifier);
}
NPUTF8 *UTF8FromIdentifierEntry(NPIdentifier identifier) {
  NPHOST_COUNT(utf8fromidentifier);
  return state::UTF8FromIdentifier(identifier);
}
int32_t IntFromIdentifierEntry(NPIdentifier identifier) {
  NPHOST_COUNT(intfromidentifier);
  return state::IntFromIdentifier(identifier);
}
NPObject *CreateObjectEntry(NPP npp, NPClass *aClass) {
  NPHOST_COUNT(createobject);
  return state::CreateObject(npp, aClass);
}
NPObject *RetainObjectEntry(NPObject *object) {
  NPHOST_COUNT(retainobject);
  return state::RetainObject(object);
}
void ReleaseObjectEntry(NPObject *object) {
  NPHOST_COUNT(releaseobject);
  state::ReleaseObject(object);
}
void ReleaseVariantValueEntry(NPVariant *variant) {
  NPHOST_COUNT(releasevariantvalue);
  state::ReleaseVariantValue(variant);
}
void SetExceptionEntry(NPObject *object, const NPUTF8 *message) {
  NPHOST_COUNT(setexception);
  state::SetException(object, message);
}

#undef NPHOST_COUNT

} // namespace

NPNetscapeFuncs MakeBrowserFuncs(uint16_t size, uint16_t version) {
  NPNetscapeFuncs table = {};
  NPHOST_UNSUPPORTED(geturl);
  NPHOST_UNSUPPORTED(posturl);
  NPHOST_UNSUPPORTED(requestread);
  NPHOST_UNSUPPORTED(newstream);
  NPHOST_UNSUPPORTED(write);
  NPHOST_UNSUPPORTED(destroystream);
  NPHOST_UNSUPPORTED(status);
  NPHOST_UNSUPPORTED(uagent);
  table.memalloc = MemAllocEntry;
  table.memfree = MemFreeEntry;
  table.memflush = MemFlushEntry;
  NPHOST_UNSUPPORTED(reloadplugins);
  NPHOST_UNSUPPORTED(getJavaEnv);
  NPHOST_UNSUPPORTED(getJavaPeer);
  NPHOST_UNSUPPORTED(geturlnotify);
  NPHOST_UNSUPPORTED(posturlnotify);
  NPHOST_UNSUPPORTED(getvalue);
  NPHOST_UNSUPPORTED(setvalue);
  NPHOST_UNSUPPORTED(invalidaterect);
  NPHOST_UNSUPPORTED(invalidateregion);
  NPHOST_UNSUPPORTED(forceredraw);
  table.getstringidentifier = GetStringIdentifierEntry;
  table.getstringidentifiers = GetStringIdentifiersEntry;
  table.getintidentifier = GetIntIdentifierEntry;
  table.identifierisstring = IdentifierIsStringEntry;
  table.utf8fromidentifier = UTF8FromIdentifierEntry;
  table.intfromidentifier = IntFromIdentifierEntry;
  table.createobject = CreateObjectEntry;
  table.retainobject = RetainObjectEntry;
  table.releaseobject = ReleaseObjectEntry;
  NPHOST_UNSUPPORTED(invoke);
  NPHOST_UNSUPPORTED(invokeDefault);
  NPHOST_UNSUPPORTED(evaluate);
  NPHOST_UNSUPPORTED(getproperty);
  NPHOST_UNSUPPORTED(setproperty);
  NPHOST_UNSUPPORTED(removeproperty);
  NPHOST_UNSUPPORTED(hasproperty);
  NPHOST_UNSUPPORTED(hasmethod);
  table.releasevariantvalue = ReleaseVariantValueEntry;
  table.setexception = SetExceptionEntry;
  NPHOST_UNSUPPORTED(pushpopupsenabledstate);
  NPHOST_UNSUPPORTED(poppopupsenabledstate);
  NPHOST_UNSUPPORTED(enumerate);
  NPHOST_UNSUPPORTED(pluginthreadasynccall);
  NPHOST_UNSUPPORTED(construct);
  NPHOST_UNSUPPORTED(getvalueforurl);
  NPHOST_UNSUPPORTED(setvalueforurl);
  NPHOST_UNSUPPORTED(getauthenticationinfo);
  NPHOST_UNSUPPORTED(scheduletimer);
  NPHOST_UNSUPPORTED(unscheduletimer);
  NPHOST_UNSUPPORTED(popupcontextmenu);
  NPHOST_UNSUPPORTED(convertpoint);
  NPHOST_UNSUPPORTED(handleevent);
  NPHOST_UNSUPPORTED(unfocusinstance);
  NPHOST_UNSUPPORTED(urlredirectresponse);

  // A browser with a shorter table has no entries past its end.
  for (std::size_t offset = offsetof(NPNetscapeFuncs, geturl);
       offset < sizeof(table); offset += kEntrySize)
    if (offset + kEntrySize > size)
      std::memset(reinterpret_cast<char *>(&table) + offset, 0, kEntrySize);
  table.size = size;
  table.version = version;
  return table;
}

#undef NPHOST_UNSUPPORTED

long BrowserCallCount() { return C().total; }

long BrowserCallCount(std::size_t entryOffset) {
  return entryOffset / kEntrySize < kEntries
             ? C().byEntry[entryOffset / kEntrySize]
             : 0;
}

long UnsupportedCallCount() { return C().unsupported; }

} // namespace nphost
