// Fakes of the WMI query interfaces that count their references, so a test
// can tell that a query released every object it was handed.
#pragma once

#include "common/ComHolders.h"

#include <oleauto.h>
#include <wbemcli.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace fakewbem {

// WBEM_E_ values are an unsigned enumeration; results are signed.
constexpr HRESULT Hr(WBEMSTATUS status) { return static_cast<HRESULT>(status); }

// Fakes alive right now, of every kind.
inline long &LiveFakes() {
  static long live = 0;
  return live;
}

// One property value as Get hands it out.
struct Property {
  VARTYPE vt = VT_NULL;
  std::wstring text; // VT_BSTR
  bool nullBstr = false;
  LONG number = 0; // VT_I4
};
inline Property Text(std::wstring text) {
  return {VT_BSTR, std::move(text), false, 0};
}
inline Property NullBstr() { return {VT_BSTR, L"", true, 0}; }
inline Property Null() { return {}; }
inline Property Number(LONG n) { return {VT_I4, L"", false, n}; }
inline Property TextArray() { return {VT_ARRAY | VT_BSTR, L"a", false, 0}; }

using ObjectSpec = std::map<std::wstring, Property>;

// What the fake services answer to one query text.
struct Answer {
  HRESULT execResult = WBEM_S_NO_ERROR;
  bool enumeratorOnFailure = false; // hand out an enumerator despite failing
  std::vector<ObjectSpec> objects;
  size_t nextFailsAt = SIZE_MAX; // the fetch of this index fails
  HRESULT nextFailure = WBEM_E_FAILED;
  bool endsWithoutFalse = false; // the end is S_OK with no object
};

// What the fakes saw.
struct Calls {
  std::wstring language;
  LONG flags = 0;
  LONG timeout = 0;
  ULONG count = 0;
  int fetched = 0; // objects handed out by Next
  int gets = 0;
};

template <typename Interface> class Counted : public Interface {
public:
  Counted() { ++LiveFakes(); }
  virtual ~Counted() { --LiveFakes(); }
  Counted(const Counted &) = delete;
  Counted &operator=(const Counted &) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown))
      return E_NOINTERFACE;
    *out = static_cast<IUnknown *>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_refs;
    if (left == 0)
      delete this;
    return left;
  }

private:
  ULONG m_refs = 1;
};

class FakeObject : public Counted<IWbemClassObject> {
public:
  FakeObject(ObjectSpec spec, Calls &calls)
      : m_spec(std::move(spec)), m_calls(calls) {}

  HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT *value, CIMTYPE *,
                                LONG *) override {
    ++m_calls.gets;
    const auto found = m_spec.find(name);
    if (found == m_spec.end())
      return WBEM_E_NOT_FOUND;
    const Property &p = found->second;
    value->vt = p.vt;
    if (p.vt == VT_BSTR) {
      value->bstrVal =
          p.nullBstr ? nullptr
                     : ::SysAllocStringLen(p.text.data(),
                                           static_cast<UINT>(p.text.size()));
    } else if (p.vt == VT_I4) {
      value->lVal = p.number;
    } else if (p.vt == (VT_ARRAY | VT_BSTR)) {
      value->parray = ::SafeArrayCreateVector(VT_BSTR, 0, 1);
      LONG index = 0;
      UniqueBstr element(::SysAllocString(p.text.c_str()));
      ::SafeArrayPutElement(value->parray, &index, element.get());
    }
    return WBEM_S_NO_ERROR;
  }

  // Not used by the queries.
  HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Put(LPCWSTR, LONG, VARIANT *, CIMTYPE) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT *,
                                     SAFEARRAY **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Next(LONG, BSTR *, VARIANT *, CIMTYPE *,
                                 LONG *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EndEnumeration() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE
  GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG,
                                              IWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject **,
                                      IWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject *,
                                      IWbemClassObject *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR *, IWbemClassObject **,
                                       IWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR *) override {
    return E_NOTIMPL;
  }

private:
  ObjectSpec m_spec;
  Calls &m_calls;
};

class FakeEnumerator : public Counted<IEnumWbemClassObject> {
public:
  FakeEnumerator(const Answer &answer, Calls &calls)
      : m_answer(answer), m_calls(calls) {}

  HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count,
                                 IWbemClassObject **objects,
                                 ULONG *returned) override {
    m_calls.timeout = timeout;
    m_calls.count = count;
    *returned = 0;
    if (m_next == m_answer.nextFailsAt)
      return m_answer.nextFailure;
    if (m_next >= m_answer.objects.size())
      return m_answer.endsWithoutFalse ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
    objects[0] = new FakeObject(m_answer.objects[m_next++], m_calls);
    *returned = 1;
    ++m_calls.fetched;
    return WBEM_S_NO_ERROR;
  }

  HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Skip(LONG, ULONG) override { return E_NOTIMPL; }

private:
  Answer m_answer;
  Calls &m_calls;
  size_t m_next = 0;
};

// Answers the queries it knows by their exact text; any other query is
// refused with WBEM_E_INVALID_QUERY.
class FakeServices : public Counted<IWbemServices> {
public:
  std::map<std::wstring, Answer> answers;
  Calls calls;
  std::vector<std::wstring> queries; // in the order they came

  HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query,
                                      LONG flags, IWbemContext *,
                                      IEnumWbemClassObject **out) override {
    calls.language = language ? language : L"";
    calls.flags = flags;
    queries.push_back(query ? query : L"");
    *out = nullptr;
    const auto found = answers.find(queries.back());
    if (found == answers.end())
      return WBEM_E_INVALID_QUERY;
    if (SUCCEEDED(found->second.execResult) ||
        found->second.enumeratorOnFailure)
      *out = new FakeEnumerator(found->second, calls);
    return found->second.execResult;
  }

  HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext *,
                                          IWbemServices **,
                                          IWbemCallResult **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetObject(const BSTR, LONG, IWbemContext *,
                                      IWbemClassObject **,
                                      IWbemCallResult **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext *,
                                           IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject *, LONG, IWbemContext *,
                                     IWbemCallResult **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject *, LONG,
                                          IWbemContext *,
                                          IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext *,
                                        IWbemCallResult **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext *,
                                             IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext *,
                                            IEnumWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG,
                                                 IWbemContext *,
                                                 IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject *, LONG,
                                        IWbemContext *,
                                        IWbemCallResult **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject *, LONG,
                                             IWbemContext *,
                                             IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR, LONG, IWbemContext *,
                                           IWbemCallResult **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR, LONG,
                                                IWbemContext *,
                                                IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateInstanceEnum(
      const BSTR, LONG, IWbemContext *, IEnumWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(
      const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR, LONG,
                                           IWbemContext *,
                                           IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext *,
                        IEnumWbemClassObject **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext *,
                             IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR, const BSTR, LONG,
                                       IWbemContext *, IWbemClassObject *,
                                       IWbemClassObject **,
                                       IWbemCallResult **) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR, const BSTR, LONG,
                                            IWbemContext *, IWbemClassObject *,
                                            IWbemObjectSink *) override {
    return E_NOTIMPL;
  }
};

} // namespace fakewbem
