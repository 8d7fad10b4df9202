// Opening and tearing down the connection to the local WMI service.
#include "wmi/Bstr.h"
#include "wmi/WMI.h"
#include "wmi/WbemLocatorIds.h"

#include <objbase.h>

CWMI::~CWMI() { Disconnect(); }

HRESULT CWMI::Connect() {
  HRESULT hr = ::CoInitialize(nullptr);
  if (SUCCEEDED(hr))
    m_comInitialized = true;
  else if (hr != RPC_E_CHANGED_MODE) // other modes: use the thread's apartment
    return hr;

  // Process-wide; once set, by the browser or an earlier call, it stays.
  hr = ::CoInitializeSecurity(
      nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(hr) && hr != RPC_E_TOO_LATE)
    return hr;

  hr = ::CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                          kIidWbemLocator, m_locator.put_void());
  if (FAILED(hr))
    return hr;

  {
    const UniqueBstr path = MakeBstr(L"ROOT\\CIMV2");
    hr = m_locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, 0,
                                  nullptr, nullptr, m_services.put());
  }
  if (FAILED(hr))
    return hr;

  return ::CoSetProxyBlanket(m_services.get(), RPC_C_AUTHN_WINNT,
                             RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

void CWMI::Disconnect() {
  m_services.reset();
  m_locator.reset();
  if (m_comInitialized) {
    m_comInitialized = false;
    ::CoUninitialize();
  }
}
