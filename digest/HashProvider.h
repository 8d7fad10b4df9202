// The provider that serves one hash call, and the hash engine that takes it:
// ComputeHash chooses, the engine hashes. Exposed so tests can name a provider.
#pragma once

#include "digest/HashService.h"

#include <wincrypt.h>
#include <windows.h>

#include <string>

struct HashProvider {
  std::wstring name; // empty for a selector that names no algorithm
  DWORD type = 0;
  ALG_ID algorithm = 0;
};

// The provider for a selector on a system of the given major version; the
// SHA-512 provider has another name on major version 5.
HashProvider ChooseHashProvider(HashAlgorithm algorithm, DWORD majorVersion);

// The running system's major version as GetVersionExW reports it, asked anew
// on every call; 0 when the call fails.
DWORD SystemMajorVersion();

// ComputeHash with the provider already chosen.
DWORD ComputeHashWith(const std::wstring &text, std::wstring &digest,
                      const HashProvider &provider);
