// Provider choice by selector and system version.
#include "digest/HashProvider.h"

HashProvider ChooseHashProvider(HashAlgorithm algorithm, DWORD majorVersion) {
  switch (algorithm) {
  case HashAlgorithm::Sha512:
    return {majorVersion == 5 ? L"Microsoft Enhanced RSA and AES Cryptographic "
                                L"Provider (Prototype)"
                              : L"Microsoft Enhanced RSA and AES Cryptographic "
                                L"Provider",
            PROV_RSA_AES, CALG_SHA_512};
  case HashAlgorithm::Sha1:
    return {L"Microsoft Base Cryptographic Provider v1.0", PROV_RSA_FULL,
            CALG_SHA1};
  }
  return {};
}

DWORD SystemMajorVersion() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&info)))
    return 0;
  return info.dwMajorVersion;
}
