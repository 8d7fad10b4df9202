// The connection against Wine's own COM and WMI service, each case on a fresh
// thread so its COM state is known. A thread's COM initialisation count is
// read through CoGetApartmentType: the test balances what it set up itself,
// and the thread must then be back to uninitialised, no sooner and no later.
#include "tests/wmi/ComState.h"
#include "wmi/WMI.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kProcessorQuery[] =
    L"SELECT ProcessorId FROM Win32_Processor WHERE DeviceID = 'CPU0'";

TEST(WMIConnection, ConnectsAndLeavesAnUninitialisedThreadAsItWas) {
  OnFreshThread([] {
    ASSERT_EQ(CurrentApartment(), Apartment::None);
    CWMI wmi;
    ASSERT_EQ(wmi.Connect(), S_OK);
    EXPECT_EQ(CurrentApartment(), Apartment::Single);
    std::wstring processorId;
    EXPECT_TRUE(SUCCEEDED(
        wmi.QueryValue(kProcessorQuery, L"ProcessorId", processorId)));
    EXPECT_FALSE(processorId.empty());
    // A property the class lacks: Get's own failure comes back unchanged.
    std::wstring value = L"old";
    EXPECT_EQ(wmi.QueryValue(kProcessorQuery, L"NoSuchProperty", value),
              static_cast<HRESULT>(WBEM_E_NOT_FOUND));
    EXPECT_EQ(value, L"old");
    wmi.Disconnect();
    EXPECT_EQ(CurrentApartment(), Apartment::None);
  });
}

TEST(WMIConnection, ThreadInTheMultithreadedApartmentIsNotUninitialised) {
  OnFreshThread([] {
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      CWMI wmi;
      EXPECT_TRUE(SUCCEEDED(wmi.Connect()));
      std::wstring processorId;
      EXPECT_TRUE(SUCCEEDED(
          wmi.QueryValue(kProcessorQuery, L"ProcessorId", processorId)));
      wmi.Disconnect();
      EXPECT_EQ(CurrentApartment(), Apartment::Multi);
    }
    EXPECT_EQ(CurrentApartment(), Apartment::Multi);
    ::CoUninitialize();
    EXPECT_EQ(CurrentApartment(), Apartment::None);
  });
}

TEST(WMIConnection, ApartmentThreadedThreadIsBalancedExactlyOnce) {
  OnFreshThread([] {
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);
    {
      CWMI wmi;
      EXPECT_EQ(wmi.Connect(), S_OK);
      wmi.Disconnect();
      wmi.Disconnect(); // a second teardown owes nothing
      EXPECT_EQ(CurrentApartment(), Apartment::Single);
    }
    EXPECT_EQ(CurrentApartment(), Apartment::Single);
    ::CoUninitialize();
    EXPECT_EQ(CurrentApartment(), Apartment::None);
  });
}

TEST(WMIConnection, ProceedsUnderSecurityAlreadySet) {
  OnFreshThread([] {
    // As a browser may have done before any plug-in call.
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);
    ASSERT_TRUE(SUCCEEDED(::CoInitializeSecurity(
        nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
        RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr)));
    for (int call = 0; call < 2; ++call) {
      CWMI wmi;
      EXPECT_EQ(wmi.Connect(), S_OK) << call;
      std::wstring processorId;
      EXPECT_TRUE(SUCCEEDED(
          wmi.QueryValue(kProcessorQuery, L"ProcessorId", processorId)));
      wmi.Disconnect();
    }
    ::CoUninitialize();
    EXPECT_EQ(CurrentApartment(), Apartment::None);
  });
}

TEST(WMIConnection, DisconnectOnAFreshObjectAndDestructionOweNothing) {
  OnFreshThread([] {
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);
    {
      CWMI fresh;
      fresh.Disconnect();
      fresh.Disconnect();
    }
    EXPECT_EQ(CurrentApartment(), Apartment::Single);
    ::CoUninitialize();
    EXPECT_EQ(CurrentApartment(), Apartment::None);
  });
  OnFreshThread([] {
    {
      // Destroyed still connected: the destructor tears it down.
      CWMI wmi;
      ASSERT_EQ(wmi.Connect(), S_OK);
    }
    EXPECT_EQ(CurrentApartment(), Apartment::None);
  });
}

} // namespace
