// Picks the command a script call names and answers for it when it fails.
#pragma once

#include "plugin/NpapiTypes.h"

#include <cstdint>

class CPalomirFirefoxApiProvider {
public:
  CPalomirFirefoxApiProvider() = default;
  virtual ~CPalomirFirefoxApiProvider() = default;

  // Runs the command of that exact (case-sensitive) name. True when the call
  // is handled: the result holds the answer, or is untouched for a name that
  // is no method. False when a command raised: the result then holds the
  // envelope with an empty result text and status 9999. Raises nothing.
  bool DispatchMethod(const NPUTF8 *name, const NPVariant *args,
                      uint32_t argCount, NPVariant *result);
};
