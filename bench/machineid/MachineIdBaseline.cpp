// The platform calls one machine identifier needs and nothing else, as the
// baseline the GetMachineID benchmarks compare the plug-in's call with.
#include "bench/machineid/MachineIdBaseline.h"

#include "common/ComHolders.h"
#include "common/CryptHandles.h"
#include "machineid/IdentityQueries.h"
#include "wmi/WbemLocatorIds.h"

#include <objbase.h>
#include <wbemcli.h>
#include <windows.h>

namespace {

// Runs one query and reads the property of every object, as the identifier's
// two queries do.
void RunQuery(IWbemServices *services, const wchar_t *query,
              const wchar_t *property, bool firstOnly) {
  ComPtr<IEnumWbemClassObject> enumerator;
  {
    UniqueBstr language(::SysAllocString(L"WQL"));
    UniqueBstr text(::SysAllocString(query));
    if (FAILED(services->ExecQuery(language.get(), text.get(),
                                   WBEM_FLAG_FORWARD_ONLY |
                                       WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, enumerator.put())))
      return;
  }
  for (;;) {
    ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    const HRESULT hr = enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1,
                                        object.put(), &returned);
    if (FAILED(hr) || hr == WBEM_S_FALSE || !object)
      return;
    UniqueVariant value;
    object->Get(property, 0, value.get(), nullptr, nullptr);
    if (firstOnly)
      return;
  }
}

// Only the platform: COM, security, locator, connection, blanket, the two
// queries, one SHA-512 hash and the teardown.
} // namespace

bool MachineIdBaselineCall() {
  const HRESULT init = ::CoInitialize(nullptr);
  bool ok = false;
  {
    ::CoInitializeSecurity(
        nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    ComPtr<IWbemLocator> locator;
    ComPtr<IWbemServices> services;
    if (SUCCEEDED(::CoCreateInstance(kClsidWbemLocator, nullptr,
                                     CLSCTX_INPROC_SERVER, kIidWbemLocator,
                                     locator.put_void()))) {
      UniqueBstr path(::SysAllocString(L"ROOT\\CIMV2"));
      if (SUCCEEDED(locator->ConnectServer(path.get(), nullptr, nullptr,
                                           nullptr, 0, nullptr, nullptr,
                                           services.put())) &&
          SUCCEEDED(::CoSetProxyBlanket(
              services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
              RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
              EOAC_NONE))) {
        RunQuery(services.get(), kAdapterQuery, L"MacAddress", false);
        RunQuery(services.get(), kProcessorQuery, L"ProcessorId", true);
        ok = true;
      }
    }

    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&version));
    UniqueCryptProv context;
    UniqueCryptHash hash;
    static const BYTE text[] = "0123456789ABCDEF0123456789ABCDEF";
    BYTE digest[64];
    DWORD size = sizeof(digest);
    ok = ok &&
         ::CryptAcquireContextW(
             context.put(), nullptr,
             L"Microsoft Enhanced RSA and AES Cryptographic Provider",
             PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
         ::CryptCreateHash(context.get(), CALG_SHA_512, 0, 0, hash.put()) &&
         ::CryptHashData(hash.get(), text, sizeof(text) - 1, 0) &&
         ::CryptGetHashParam(hash.get(), HP_HASHVAL, nullptr, &size, 0) &&
         ::CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &size, 0);
  }
  if (SUCCEEDED(init))
    ::CoUninitialize();
  return ok;
}
