// The hash engine over one CryptoAPI provider context.
#include "digest/HashService.h"

#include "common/CryptHandles.h"
#include "digest/Base64.h"
#include "digest/HashProvider.h"
#include "plugin/TextConversion.h"

#include <vector>

DWORD ComputeHash(const std::wstring &text, std::wstring &digest,
                  HashAlgorithm algorithm) {
  ::SetLastError(ERROR_SUCCESS);
  if (text.c_str()[0] == L'\0')
    return kHashEmptyText;
  return ComputeHashWith(text, digest,
                         ChooseHashProvider(algorithm, SystemMajorVersion()));
}

DWORD ComputeHashWith(const std::wstring &text, std::wstring &digest,
                      const HashProvider &provider) {
  ::SetLastError(ERROR_SUCCESS);
  // Only the characters before the first NUL count.
  const std::wstring counted(text.c_str());
  if (counted.empty())
    return kHashEmptyText;

  // The holders keep the last-error value across their releases, so every
  // failing step can answer GetLastError after they ran.
  UniqueCryptProv context;
  if (!::CryptAcquireContextW(context.put(), nullptr, provider.name.c_str(),
                              provider.type, CRYPT_VERIFYCONTEXT))
    return ::GetLastError();

  const std::string utf8 = WideToUtf8(counted);
  UniqueCryptHash hash;
  if (!::CryptCreateHash(context.get(), provider.algorithm, 0, 0, hash.put()))
    return ::GetLastError();
  if (!::CryptHashData(hash.get(), reinterpret_cast<const BYTE *>(utf8.data()),
                       static_cast<DWORD>(utf8.size()), 0))
    return ::GetLastError();

  DWORD size = 0;
  if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, nullptr, &size, 0))
    return ::GetLastError();
  std::vector<BYTE> value(size, 0);
  if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, value.data(), &size, 0))
    return ::GetLastError();
  value.resize(size);

  digest = Utf8ToWide(Base64Encode(value.data(), value.size()));
  return ERROR_SUCCESS;
}
