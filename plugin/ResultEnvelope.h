// The one-line JSON answer of every script call, and how it is stored into the
// call's result variant in memory from the browser.
#pragma once

#include "plugin/NpapiTypes.h"
#include "plugin/StatusTable.h"

#include <string>

// {"result": "<text>", "status": <code>, "description": "<message>"}; neither
// text is escaped. Exposed for tests; commands call SetResultEnvelope.
std::wstring BuildResultEnvelope(const std::wstring &resultText,
                                 const ApiStatus &status);

// Builds the envelope and, when result is not null, stores it there.
void SetResultEnvelope(const std::wstring &resultText, const ApiStatus &status,
                       NPVariant *result);

// Stores the text up to its first NUL as a UTF-8 string variant in a block from
// NPN_MemAlloc (length + 1 bytes, NUL-terminated). When nothing can be stored,
// the variant is a string with null characters and length 0.
void SetVariantString(const std::wstring &text, NPVariant *result);
