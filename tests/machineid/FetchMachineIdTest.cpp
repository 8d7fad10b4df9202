// One identifier computation against Wine's own COM, WMI and CryptoAPI: the
// identifier it answers, and the calling thread's COM state afterwards, an
// exception's path included.
#include "machineid/FetchMachineId.h"
#include "tests/machineid/CMachineIDTestAccess.h"
#include "tests/machineid/Queries.h"
#include "tests/wmi/CWMITestAccess.h"
#include "tests/wmi/ComState.h"
#include "tests/wmi/FakeWbem.h"

#include <comdef.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::wstring UpperCase(std::wstring text) {
  for (wchar_t &c : text)
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - L'a' + L'A');
  return text;
}

TEST(FetchMachineId, AnswersTheSameIdentifierOfTheProcessorWrittenTwice) {
  OnFreshThread([] {
    std::wstring errorText = L"old";
    const std::wstring first = FetchMachineId(errorText);
    EXPECT_EQ(errorText, L"");
    ASSERT_EQ(first.size(), 86u);
    EXPECT_EQ(
        first.find_first_not_of(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+/"),
        std::wstring::npos)
        << first;
    EXPECT_EQ(FetchMachineId(errorText), first);

    // This Wine's adapter class lacks ConfigManagerErrorCode, so the adapter
    // query fails and the processor identifier stands alone.
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);
    {
      CWMI wmi;
      ASSERT_EQ(wmi.Connect(), S_OK);
      std::vector<std::wstring> macs;
      std::wstring processorId;
      ASSERT_EQ(wmi.QueryValues(kAdapterQuery, L"MacAddress", macs),
                static_cast<HRESULT>(0x80041001));
      ASSERT_EQ(wmi.QueryValue(kProcessorQuery, L"ProcessorId", processorId),
                S_OK);
      std::wstring digest;
      ASSERT_EQ(
          ComputeHash(processorId + processorId, digest, HashAlgorithm::Sha512),
          0u);
      EXPECT_EQ(first, UpperCase(digest));
    }
    ::CoUninitialize();
  });
}

TEST(FetchMachineId, LeavesTheThreadsComStateAsItFoundIt) {
  struct Case {
    const char *what;
    std::function<HRESULT()> setUp; // null: COM left uninitialised
    Apartment apartment;
    int owed; // CoUninitialize calls the set-up owes
  };
  const Case cases[] = {
      {"uninitialised", nullptr, Apartment::None, 0},
      {"apartment-threaded", [] { return ::CoInitialize(nullptr); },
       Apartment::Single, 1},
      {"apartment-threaded twice",
       [] {
         ::CoInitialize(nullptr);
         return ::CoInitialize(nullptr) == S_FALSE ? S_OK : E_FAIL;
       },
       Apartment::Single, 2},
      {"multithreaded",
       [] { return ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); },
       Apartment::Multi, 1},
  };
  for (const Case &c : cases) {
    OnFreshThread([&c] {
      if (c.setUp) {
        ASSERT_EQ(c.setUp(), S_OK) << c.what;
      }
      for (int call = 0; call < 2; ++call) {
        std::wstring errorText;
        EXPECT_EQ(FetchMachineId(errorText).size(), 86u) << c.what;
        EXPECT_EQ(CurrentApartment(), c.apartment) << c.what;
      }
      // Undo what the case set up: the thread must then be uninitialised.
      for (int i = 0; i < c.owed; ++i) {
        EXPECT_NE(CurrentApartment(), Apartment::None) << c.what;
        ::CoUninitialize();
      }
      EXPECT_EQ(CurrentApartment(), Apartment::None) << c.what;
    });
  }
}

// A real connection whose services are then swapped for fakes that hand out
// an array-valued MAC address, so the query raises inside the construction.
fakewbem::FakeServices *g_services = nullptr;

HRESULT ConnectThenSwapServices(CWMI &wmi) {
  const HRESULT hr = wmi.Connect();
  if (SUCCEEDED(hr))
    CWMITestAccess::AttachServices(wmi, g_services);
  return hr;
}

DWORD NoHash(const std::wstring &, std::wstring &, HashAlgorithm) {
  ADD_FAILURE() << "hashed after a failed collection";
  return 1;
}

TEST(CMachineIDConstruction, ExceptionLeavesComStateAndReferencesAsBefore) {
  OnFreshThread([] {
    g_services = new fakewbem::FakeServices;
    g_services->answers[kAdapterQuery] = {
        S_OK, false, {{{L"MacAddress", fakewbem::TextArray()}}}};
    EXPECT_THROW(CMachineIDTestAccess::Make(ConnectThenSwapServices, NoHash),
                 _com_error);
    EXPECT_EQ(CurrentApartment(), Apartment::None);
    g_services->Release();
    EXPECT_EQ(fakewbem::LiveFakes(), 0);
  });
}

} // namespace
