// The browser's accounting: every memalloc block and every object it made,
// what the plug-in did wrong with them, and the script exception of the call
// in progress. Nothing the plug-in passes in is touched before it is found in
// the ledger, so a double free or an over-release is counted, never a crash.
#include "host/BrowserHost.h"
#include "host/BrowserState.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace nphost {
namespace {

// Bytes after every block that must still hold their pattern when it is
// freed: a plug-in that writes one byte too many is caught there.
constexpr std::size_t kGuardSize = 8;
constexpr unsigned char kGuardByte = 0xFD;
// A fresh block holds this, not zeros, so a missing terminator shows.
constexpr unsigned char kFreshByte = 0xCD;

struct State {
  Ledger ledger;
  std::map<const void *, std::size_t> blocks; // live block -> size asked
  std::set<const NPObject *> objects;
  int failMemAlloc = 0;
  int failCreateObject = 0;
  bool exceptionSet = false;
  std::string exception;
};

// Never destroyed: a plug-in may still be unloaded by a static destructor.
State &S() {
  static State *state = new State;
  return *state;
}

void *AllocateTracked(uint32_t size) {
  if (size > UINT32_MAX - kGuardSize)
    return nullptr;
  auto *block = static_cast<unsigned char *>(std::malloc(size + kGuardSize));
  if (!block)
    return nullptr;
  std::memset(block, kFreshByte, size);
  std::memset(block + size, kGuardByte, kGuardSize);
  S().blocks[block] = size;
  ++S().ledger.liveBlocks;
  return block;
}

bool GuardIntact(const unsigned char *block, std::size_t size) {
  for (std::size_t i = 0; i < kGuardSize; ++i)
    if (block[size + i] != kGuardByte)
      return false;
  return true;
}

void DestroyObject(NPObject *object) {
  S().objects.erase(object);
  --S().ledger.liveObjects;
  NPClass *aClass = object->_class;
  if (aClass && aClass->deallocate)
    aClass->deallocate(object);
  else
    // The default allocation, or a class that allocates with the C runtime and
    // leaves freeing to the browser.
    std::free(object);
}

} // namespace

namespace state {

void *MemAlloc(uint32_t size) {
  if (S().failMemAlloc > 0) {
    --S().failMemAlloc;
    return nullptr;
  }
  return AllocateTracked(size);
}

void *CopyBlock(const char *bytes, uint32_t length) {
  auto *block = static_cast<char *>(AllocateTracked(length + 1));
  if (block) {
    std::memcpy(block, bytes, length);
    block[length] = '\0';
  }
  return block;
}

void MemFree(void *block) {
  if (!block)
    return;
  auto found = S().blocks.find(block);
  if (found == S().blocks.end()) {
    ++S().ledger.badFrees;
    return;
  }
  auto *bytes = static_cast<unsigned char *>(block);
  if (!GuardIntact(bytes, found->second))
    ++S().ledger.overruns;
  S().blocks.erase(found);
  --S().ledger.liveBlocks;
  std::free(bytes);
}

bool IsLiveBlock(const void *block) { return S().blocks.count(block) != 0; }

NPObject *CreateObject(NPP npp, NPClass *aClass) {
  if (!aClass)
    return nullptr;
  if (S().failCreateObject > 0) {
    --S().failCreateObject;
    return nullptr;
  }
  NPObject *object =
      aClass->allocate ? aClass->allocate(npp, aClass)
                       : static_cast<NPObject *>(std::malloc(sizeof(NPObject)));
  if (!object)
    return nullptr;
  object->_class = aClass;
  object->referenceCount = 1;
  S().objects.insert(object);
  ++S().ledger.liveObjects;
  return object;
}

NPObject *RetainObject(NPObject *object) {
  if (!object)
    return nullptr;
  if (!IsLiveObject(object)) {
    ++S().ledger.badReleases;
    return object;
  }
  ++object->referenceCount;
  return object;
}

void ReleaseObject(NPObject *object) {
  if (!object)
    return;
  if (!IsLiveObject(object) || object->referenceCount == 0) {
    ++S().ledger.badReleases;
    return;
  }
  if (--object->referenceCount == 0)
    DestroyObject(object);
}

bool IsLiveObject(const NPObject *object) {
  return S().objects.count(object) != 0;
}

void CountBadObject() { ++S().ledger.badObjects; }
void CountBadIdentifier() { ++S().ledger.badIdentifiers; }
void CountBadVariant() { ++S().ledger.badVariants; }

void ReleaseVariantValue(NPVariant *variant) {
  if (!variant)
    return;
  if (variant->type == NPVariantType_String) {
    auto *chars =
        const_cast<NPUTF8 *>(variant->value.stringValue.UTF8Characters);
    if (chars && IsLiveBlock(chars))
      MemFree(chars);
    else if (chars)
      ++S().ledger.badVariants;
  } else if (variant->type == NPVariantType_Object) {
    ReleaseObject(variant->value.objectValue);
  }
  variant->type = NPVariantType_Void;
  variant->value.objectValue = nullptr;
}

void BeginCall() {
  S().exceptionSet = false;
  S().exception.clear();
}

void SetException(NPObject *object, const NPUTF8 *message) {
  if (object && !IsLiveObject(object))
    ++S().ledger.badObjects;
  S().exceptionSet = true;
  S().exception = message ? message : "";
}

} // namespace state

Ledger CurrentLedger() { return S().ledger; }

bool LedgerClean() { return S().ledger == Ledger{}; }

std::string DescribeLedger(const Ledger &ledger) {
  const std::pair<const char *, long> counts[] = {
      {"liveBlocks", ledger.liveBlocks},
      {"liveObjects", ledger.liveObjects},
      {"badFrees", ledger.badFrees},
      {"badReleases", ledger.badReleases},
      {"badVariants", ledger.badVariants},
      {"overruns", ledger.overruns},
      {"badIdentifiers", ledger.badIdentifiers},
      {"badObjects", ledger.badObjects}};
  std::string text;
  for (const auto &count : counts) {
    if (count.second == 0)
      continue;
    if (!text.empty())
      text += ' ';
    text += count.first;
    text += '=';
    text += std::to_string(count.second);
  }
  return text;
}

std::size_t LiveBlockSize(const void *block) {
  auto found = S().blocks.find(block);
  return found == S().blocks.end() ? 0 : found->second;
}

void FailNextMemAlloc(int count) { S().failMemAlloc = count; }
void FailNextCreateObject(int count) { S().failCreateObject = count; }

const std::string &LastException() { return S().exception; }
bool ExceptionSet() { return S().exceptionSet; }

} // namespace nphost
