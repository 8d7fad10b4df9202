// The client of the local WMI service: one connection to ROOT\CIMV2 and the
// property queries that run over it.
#pragma once

#include "common/ComHolders.h"

#include <wbemcli.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

// Property name to value text, in ordinal order of UTF-16 units.
using PropertyMap = std::map<std::wstring, std::wstring>;

class CWMI {
public:
  CWMI() noexcept = default;
  // Tears down whatever is still connected, so that a connection cannot
  // outlive its owner on any path, an exception's included.
  virtual ~CWMI();
  CWMI(const CWMI &) = delete;
  CWMI &operator=(const CWMI &) = delete;

  // Initialises COM on this thread, sets the process security, creates the
  // locator and connects to ROOT\CIMV2 with an impersonating proxy blanket.
  // S_OK, or the first failing step's HRESULT; what was obtained stays until
  // Disconnect.
  HRESULT Connect();
  // Releases the services, then the locator, then balances this object's
  // CoInitialize. A second call does nothing.
  void Disconnect();

  // Reads the named properties of the first result object into the map's
  // entries; a null property leaves its entry as it was. WBEM_S_FALSE when
  // nothing matched. Raises _com_error for a value that is no text.
  HRESULT QueryProperties(const std::wstring &query, PropertyMap &properties);
  // One property of the first result object; empty when no object matched or
  // the value is null. `value` is untouched on failure.
  HRESULT QueryValue(const std::wstring &query, const std::wstring &property,
                     std::wstring &value);
  // Appends one property of every result object whose value is not null, in
  // enumeration order. WBEM_S_FALSE at the normal end.
  HRESULT QueryValues(const std::wstring &query, const std::wstring &property,
                      std::vector<std::wstring> &values);

private:
  friend class CWMITestAccess; // hands fake services to the query tests

  HRESULT StartQuery(const std::wstring &query,
                     ComPtr<IEnumWbemClassObject> &enumerator);

  bool m_comInitialized = false;
  ComPtr<IWbemLocator> m_locator;
  ComPtr<IWbemServices> m_services;
};
