// The browser's own operations behind its function table, shared by the table,
// the loader and the instance. Calling these directly is the host's
// bookkeeping and is not counted as a call from the plug-in.
#pragma once

#include "plugin/NpapiTypes.h"

#include <cstdint>

namespace nphost {
namespace state {

// Memory blocks.
void *MemAlloc(uint32_t size); // NPN_MemAlloc: honours FailNextMemAlloc
void *CopyBlock(const char *bytes, uint32_t length); // a NUL-ended copy
void MemFree(void *block);
bool IsLiveBlock(const void *block);

// Objects.
NPObject *CreateObject(NPP npp, NPClass *aClass);
NPObject *RetainObject(NPObject *object);
void ReleaseObject(NPObject *object);
bool IsLiveObject(const NPObject *object);
void CountBadObject();

void ReleaseVariantValue(NPVariant *variant);
void CountBadVariant();

// Script exceptions of the call in progress.
void BeginCall();
void SetException(NPObject *object, const NPUTF8 *message);

// Identifiers.
void CountBadIdentifier();
NPIdentifier GetStringIdentifier(const NPUTF8 *name);
NPIdentifier GetIntIdentifier(int32_t value);
bool IdentifierIsString(NPIdentifier identifier);
NPUTF8 *UTF8FromIdentifier(NPIdentifier identifier);
int32_t IntFromIdentifier(NPIdentifier identifier);

} // namespace state
} // namespace nphost
