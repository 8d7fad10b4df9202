// The test browser's calls: strict about blocks and references.
#include "tests/plugin/FakeBrowser.h"

#include <cstdlib>
#include <cstring>
#include <deque>

namespace fakebrowser {
namespace {

struct Identifier {
  bool isString;
  std::string name;
};

std::deque<Identifier> &Identifiers() {
  static std::deque<Identifier> ids;
  return ids;
}

void *MemAlloc(uint32_t size) {
  Browser &b = State();
  ++b.calls;
  ++b.memallocCalls;
  if (b.failMemAlloc > 0) {
    --b.failMemAlloc;
    return nullptr;
  }
  void *block = std::malloc(size ? size : 1);
  b.blocks[block] = Block{size};
  return block;
}

void MemFree(void *ptr) {
  Browser &b = State();
  ++b.calls;
  if (b.blocks.erase(ptr) == 0) {
    ++b.badFrees;
    return;
  }
  std::free(ptr);
}

NPUTF8 *UTF8FromIdentifier(NPIdentifier id) {
  ++State().calls;
  auto *identifier = static_cast<Identifier *>(id);
  if (identifier == nullptr || !identifier->isString)
    return nullptr;
  const std::string &name = identifier->name;
  --State().calls; // the copy's memalloc counts as part of this call
  auto *copy = static_cast<NPUTF8 *>(MemAlloc(name.size() + 1));
  std::memcpy(copy, name.c_str(), name.size() + 1);
  return copy;
}

NPObject *CreateObject(NPP npp, NPClass *aClass) {
  Browser &b = State();
  ++b.calls;
  ++b.createCalls;
  if (b.failCreate > 0) {
    --b.failCreate;
    return nullptr;
  }
  NPObject *object = aClass->allocate(npp, aClass);
  if (object == nullptr)
    return nullptr;
  object->_class = aClass;
  object->referenceCount = 1;
  ++b.liveObjects;
  return object;
}

NPObject *RetainObject(NPObject *object) {
  Browser &b = State();
  ++b.calls;
  ++b.retainCalls;
  ++object->referenceCount;
  return object;
}

void ReleaseObject(NPObject *object) {
  Browser &b = State();
  ++b.calls;
  ++b.releaseCalls;
  if (object->referenceCount == 0) {
    ++b.badReleases;
    return;
  }
  if (--object->referenceCount == 0) {
    object->_class->deallocate(object);
    --b.liveObjects;
  }
}

void SetException(NPObject *object, const NPUTF8 *message) {
  Browser &b = State();
  ++b.calls;
  ++b.exceptionCalls;
  b.exceptionObject = object;
  b.exception = message ? message : "";
}

void ReleaseVariantValue(NPVariant *variant) {
  if (variant->type == NPVariantType_String)
    MemFree(const_cast<NPUTF8 *>(variant->value.stringValue.UTF8Characters));
  else if (variant->type == NPVariantType_Object)
    ReleaseObject(variant->value.objectValue);
  variant->type = NPVariantType_Void;
}

template <typename F> F Marker() {
  return reinterpret_cast<F>(static_cast<uintptr_t>(0xBAD0BAD0));
}

} // namespace

Browser &State() {
  static Browser browser;
  return browser;
}

void Reset() {
  for (auto &entry : State().blocks)
    std::free(entry.first);
  State() = Browser{};
}

NPNetscapeFuncs Table() {
  NPNetscapeFuncs t = {};
  t.size = kNetscapeFuncsThroughGetAuthenticationInfo;
  t.version = (0 << 8) | 27;
  t.memalloc = MemAlloc;
  t.memfree = MemFree;
  t.utf8fromidentifier = UTF8FromIdentifier;
  t.createobject = CreateObject;
  t.retainobject = RetainObject;
  t.releaseobject = ReleaseObject;
  t.releasevariantvalue = ReleaseVariantValue;
  t.setexception = SetException;
  t.pushpopupsenabledstate = Marker<NPN_PushPopupsEnabledStateProcPtr>();
  t.getauthenticationinfo = Marker<NPN_GetAuthenticationInfoPtr>();
  return t;
}

NPIdentifier StringId(const std::string &name) {
  Identifiers().push_back(Identifier{true, name});
  return &Identifiers().back();
}

NPIdentifier IntId(int32_t value) {
  Identifiers().push_back(Identifier{false, std::to_string(value)});
  return &Identifiers().back();
}

bool Clean() {
  const Browser &b = State();
  return b.blocks.empty() && b.liveObjects == 0 && b.badFrees == 0 &&
         b.badReleases == 0;
}

void ReleaseVariant(NPVariant &variant) { ReleaseVariantValue(&variant); }

std::string StringOf(const NPVariant &variant) {
  if (variant.type != NPVariantType_String ||
      variant.value.stringValue.UTF8Characters == nullptr)
    return {};
  return std::string(variant.value.stringValue.UTF8Characters,
                     variant.value.stringValue.UTF8Length);
}

} // namespace fakebrowser
