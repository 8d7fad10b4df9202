// WQL queries that hand back one property of the result objects as text.
#include "wmi/Bstr.h"
#include "wmi/WMI.h"

#include <comdef.h>

#include <optional>

namespace {

// Fetches the next result object: WBEM_S_FALSE, with no object, at the end.
HRESULT NextObject(IEnumWbemClassObject *enumerator,
                   ComPtr<IWbemClassObject> &object) {
  ULONG returned = 0;
  const HRESULT hr = enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1,
                                      object.put(), &returned);
  // A success without an object ends the enumeration like WBEM_S_FALSE.
  if (SUCCEEDED(hr) && !object)
    return WBEM_S_FALSE;
  return hr;
}

std::wstring BstrText(BSTR value) { return value ? std::wstring(value) : L""; }

// Reads one property as text; no value (VT_NULL) leaves `text` empty-handed.
HRESULT ReadPropertyText(IWbemClassObject *object, const std::wstring &name,
                         std::optional<std::wstring> &text) {
  text.reset();
  UniqueVariant value;
  const HRESULT hr =
      object->Get(name.c_str(), 0, value.get(), nullptr, nullptr);
  if (FAILED(hr))
    return hr;
  if (value.get()->vt == VT_NULL)
    return hr;
  if (value.get()->vt == VT_BSTR) {
    text = BstrText(value.get()->bstrVal);
    return hr;
  }
  UniqueVariant converted;
  const HRESULT changed =
      ::VariantChangeType(converted.get(), value.get(), 0, VT_BSTR);
  if (FAILED(changed))
    throw _com_error(changed);
  text = BstrText(converted.get()->bstrVal);
  return hr;
}

} // namespace

HRESULT CWMI::StartQuery(const std::wstring &query,
                         ComPtr<IEnumWbemClassObject> &enumerator) {
  HRESULT hr;
  {
    // Destroyed in reverse: the language name first, then the query.
    const UniqueBstr queryText = MakeBstr(query.c_str());
    const UniqueBstr language = MakeBstrFromAnsi("WQL");
    hr = m_services->ExecQuery(language.get(), queryText.get(),
                               WBEM_FLAG_FORWARD_ONLY |
                                   WBEM_FLAG_RETURN_IMMEDIATELY,
                               nullptr, enumerator.put());
  }
  if (FAILED(hr))
    enumerator.reset();
  return hr;
}

HRESULT CWMI::QueryProperties(const std::wstring &query,
                              PropertyMap &properties) {
  ComPtr<IEnumWbemClassObject> enumerator;
  HRESULT hr = StartQuery(query, enumerator);
  if (FAILED(hr))
    return hr;

  ComPtr<IWbemClassObject> object;
  hr = NextObject(enumerator.get(), object);
  if (FAILED(hr) || hr == WBEM_S_FALSE)
    return hr;

  for (auto &entry : properties) {
    std::optional<std::wstring> text;
    hr = ReadPropertyText(object.get(), entry.first, text);
    if (FAILED(hr))
      return hr;
    if (text)
      entry.second = std::move(*text);
  }
  return hr;
}

HRESULT CWMI::QueryValue(const std::wstring &query,
                         const std::wstring &property, std::wstring &value) {
  PropertyMap properties{{property, std::wstring()}};
  const HRESULT hr = QueryProperties(query, properties);
  if (SUCCEEDED(hr))
    value = properties.begin()->second;
  return hr;
}

HRESULT CWMI::QueryValues(const std::wstring &query,
                          const std::wstring &property,
                          std::vector<std::wstring> &values) {
  ComPtr<IEnumWbemClassObject> enumerator;
  HRESULT hr = StartQuery(query, enumerator);
  if (FAILED(hr))
    return hr;

  for (;;) {
    ComPtr<IWbemClassObject> object;
    hr = NextObject(enumerator.get(), object);
    if (FAILED(hr) || hr == WBEM_S_FALSE)
      return hr;
    std::optional<std::wstring> text;
    hr = ReadPropertyText(object.get(), property, text);
    if (FAILED(hr))
      return hr;
    if (text)
      values.push_back(std::move(*text));
  }
}
