// GetMachineID through the built library in the test browser: the answer a
// page sees, on every call and in every instance, and the script thread's COM
// state after each call.
#include "host/BrowserHost.h"
#include "host/BuiltPluginPath.h"
#include "machineid/FetchMachineId.h"
#include "plugin/TextConversion.h"
#include "tests/wmi/ComState.h"

#include <gtest/gtest.h>

namespace {

// The identifier of a successful answer, or a failure that shows the answer.
std::string IdentifierOf(const nphost::CallResult &call) {
  static const std::string head = "{\"result\": \"";
  static const std::string tail =
      "\", \"status\": 0, \"description\": \"success\"}";
  EXPECT_TRUE(call.succeeded);
  EXPECT_FALSE(call.exceptionSet) << call.exception;
  EXPECT_EQ(call.type, NPVariantType_String);
  const std::string &text = call.text;
  if (text.size() < head.size() + tail.size() || text.rfind(head, 0) != 0 ||
      text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
    ADD_FAILURE() << "not a success envelope: " << text;
    return {};
  }
  return text.substr(head.size(), text.size() - head.size() - tail.size());
}

class GetMachineIdHosted : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    m_library = nphost::PluginLibrary::LoadStarted(
        nphost::BuiltPluginPath(), nphost::kPalomirMimeType, error);
    ASSERT_TRUE(m_library) << error;
  }
  void TearDown() override {
    m_library.reset();
    EXPECT_TRUE(nphost::LedgerClean())
        << nphost::DescribeLedger(nphost::CurrentLedger());
  }
  std::unique_ptr<nphost::PluginLibrary> m_library;
};

TEST_F(GetMachineIdHosted, EveryCallAndInstanceAnswersTheSameIdentifier) {
  std::wstring errorText;
  const std::string expected = WideToUtf8(FetchMachineId(errorText));
  ASSERT_EQ(expected.size(), 86u) << WideToUtf8(errorText);

  nphost::PluginInstance first(*m_library), second(*m_library);
  for (nphost::PluginInstance *instance : {&first, &second}) {
    ASSERT_EQ(instance->New(), NPERR_NO_ERROR);
    ASSERT_EQ(instance->SetWindow(), NPERR_NO_ERROR);
  }
  const std::string identifier = IdentifierOf(first.Invoke("GetMachineID"));
  EXPECT_EQ(identifier, expected);
  EXPECT_EQ(
      identifier.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+/"),
      std::string::npos)
      << identifier;
  EXPECT_EQ(IdentifierOf(first.Invoke("GetMachineID")), expected);
  EXPECT_EQ(IdentifierOf(second.Invoke("GetMachineID")), expected);

  // Arguments of any kind are ignored.
  NPVariant number;
  number.type = NPVariantType_Int32;
  number.value.intValue = 7;
  EXPECT_EQ(IdentifierOf(second.InvokeStrings("GetMachineID", {"x", ""})),
            expected);
  EXPECT_EQ(IdentifierOf(second.Invoke("GetMachineID", {number})), expected);
  EXPECT_EQ(nphost::CurrentLedger().liveBlocks, 0);
}

TEST_F(GetMachineIdHosted, ScriptThreadKeepsItsComState) {
  struct Case {
    const char *what;
    DWORD init; // CoInitializeEx flags, or ~0 for none
    Apartment apartment;
  };
  const Case cases[] = {
      {"uninitialised", ~0UL, Apartment::None},
      {"apartment-threaded", COINIT_APARTMENTTHREADED, Apartment::Single},
      {"multithreaded", COINIT_MULTITHREADED, Apartment::Multi},
  };
  for (const Case &c : cases) {
    OnFreshThread([&] {
      if (c.init != ~0UL) {
        ASSERT_EQ(::CoInitializeEx(nullptr, c.init), S_OK) << c.what;
      }
      {
        nphost::PluginInstance instance(*m_library);
        ASSERT_EQ(instance.New(), NPERR_NO_ERROR);
        for (int call = 0; call < 2; ++call) {
          EXPECT_EQ(IdentifierOf(instance.Invoke("GetMachineID")).size(), 86u)
              << c.what;
          EXPECT_EQ(CurrentApartment(), c.apartment) << c.what;
        }
      }
      if (c.init != ~0UL)
        ::CoUninitialize();
      EXPECT_EQ(CurrentApartment(), Apartment::None) << c.what;
    });
  }
}

} // namespace
