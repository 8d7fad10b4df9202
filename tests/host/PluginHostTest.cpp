// The test browser driving a plug-in library: it refuses a library that does
// not declare the MIME type asked for before any of its code runs, hands it
// the standard tables, and reports every leak and misuse of a faulty plug-in.
#include "host/BrowserHost.h"
#include "tests/host/LedgerSupport.h"
#include "tests/host/TestPaths.h"

#include <gtest/gtest.h>

using namespace nphost;

namespace {

constexpr char kTestMime[] = "application/x-nphost-test";

bool PluginCodeRan() {
  return GetEnvironmentVariableW(L"NPHOST_TEST_PLUGIN_ATTACHED", nullptr, 0) !=
         0;
}

std::unique_ptr<PluginLibrary> LoadTestPlugin(const std::string &mime) {
  std::string error;
  auto library = PluginLibrary::Load(TestPluginPath(), mime, error);
  EXPECT_TRUE(library) << error;
  return library;
}

TEST(PluginLoading, RefusesAnotherMimeTypeBeforeAnyCodeRuns) {
  SetEnvironmentVariableW(L"NPHOST_TEST_PLUGIN_ATTACHED", nullptr);
  std::string error;
  EXPECT_EQ(PluginLibrary::Load(TestPluginPath(), "application/x-other", error),
            nullptr);
  EXPECT_NE(error.find("application/x-other"), std::string::npos) << error;
  EXPECT_FALSE(PluginCodeRan());
  EXPECT_EQ(GetModuleHandleW(L"npHostTestPlugin.dll"), nullptr);

  // The mark does show a load: the same library, asked for its own type.
  auto library = LoadTestPlugin(kTestMime);
  EXPECT_TRUE(PluginCodeRan());
}

TEST(PluginLoading, AcceptsEveryTypeOfItsListInAnyLetterCase) {
  for (const char *mime :
       {kTestMime, kPalomirMimeType, "Application/X-NPHost-Test"}) {
    SCOPED_TRACE(mime);
    auto library = LoadTestPlugin(mime);
    ASSERT_TRUE(library);
    EXPECT_EQ(library->DeclaredMimeTypes(),
              std::string(kTestMime) + "|" + kPalomirMimeType);
  }
}

TEST(PluginLoading, MimeListMatchesWholeEntriesOnly) {
  const std::string list = "application/a|application/b;application/c";
  for (const char *mime : {"application/a", "application/b", "application/c"})
    EXPECT_TRUE(DeclaresMimeType(list, mime)) << mime;
  for (const char *mime : {"", "application/", "application/a|application/b",
                           "pplication/a", "application/cc"})
    EXPECT_FALSE(DeclaresMimeType(list, mime)) << mime;
  EXPECT_FALSE(DeclaresMimeType("", ""));
}

TEST(PluginLoading, ReadsTheFirstTranslationOfTheVersionResource) {
  EXPECT_EQ(VersionString(TestPluginPath(), L"OriginalFilename"),
            L"npHostTestPlugin.dll");
  EXPECT_EQ(VersionString(TestPluginPath(), L"NoSuchKey"), L"");
}

TEST(PluginLoading, ExplainsWhyALibraryIsNotLoaded) {
  struct Case {
    std::wstring path;
    const char *reason;
  } cases[] = {
      {BinaryPath(L"no-such-plugin.dll"), "no such file"},
      {L"C:\\windows\\system32\\kernel32.dll", "declares no MIME type"},
      {TestPluginPath(), "not \"application/x-other\""},
  };
  for (const Case &c : cases) {
    std::string error;
    EXPECT_EQ(PluginLibrary::Load(c.path, "application/x-other", error),
              nullptr);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

// One started test plug-in with one embedded, windowed object.
class TestPluginInstance : public ::testing::Test {
protected:
  void SetUp() override {
    library = LoadTestPlugin(kTestMime);
    ASSERT_TRUE(library);
    ASSERT_EQ(library->Start(), NPERR_NO_ERROR);
    instance = std::make_unique<PluginInstance>(*library);
    ASSERT_EQ(instance->New(), NPERR_NO_ERROR);
    ASSERT_EQ(instance->SetWindow(), NPERR_NO_ERROR);
    before = CurrentLedger();
  }
  void TearDown() override {
    instance.reset();
    library.reset();
  }
  // Each count's change since SetUp, the instance torn down first.
  Ledger AfterTeardown() {
    instance.reset();
    return LedgerSince(before);
  }
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> instance;
  Ledger before;
};

TEST_F(TestPluginInstance, StartHandsOverTablesOfStandardSize) {
  const CallResult sizes = instance->Invoke("TableSizes");
  EXPECT_EQ(sizes.text,
            "plugin=" + std::to_string(sizeof(NPPluginFuncs)) +
                " browser=" + std::to_string(sizeof(NPNetscapeFuncs)));
}

TEST_F(TestPluginInstance, WindowIsARealWindowUntilTeardown) {
  const CallResult window = instance->Invoke("HasWindow");
  EXPECT_EQ(window.type, NPVariantType_Bool);
  EXPECT_TRUE(window.boolValue);
}

TEST_F(TestPluginInstance, WellBehavedCallsLeaveTheLedgerAsItWas) {
  const long calls = BrowserCallCount();
  const std::string bytes("a\0b\xC3\xA9", 5); // a NUL inside is kept
  const CallResult echo = instance->InvokeStrings("Echo", {bytes, "!"});
  EXPECT_TRUE(echo.succeeded);
  EXPECT_EQ(echo.type, NPVariantType_String);
  EXPECT_EQ(echo.text, bytes + "!");

  const CallResult number = instance->Invoke("Int");
  EXPECT_EQ(number.type, NPVariantType_Int32);
  EXPECT_EQ(number.intValue, 42);
  EXPECT_EQ(instance->GetProperty("answer").intValue, 42);
  EXPECT_EQ(instance->GetProperty("other").type, NPVariantType_Void);
  EXPECT_EQ(instance->Invoke("NoSuchMethod").type, NPVariantType_Void);
  EXPECT_GT(BrowserCallCount(), calls);
  EXPECT_EQ(AfterTeardown(), Ledger{});
}

TEST_F(TestPluginInstance, ExceptionBelongsToTheCallThatSetIt) {
  const CallResult failed = instance->Invoke("Fail");
  EXPECT_FALSE(failed.succeeded);
  EXPECT_TRUE(failed.exceptionSet);
  EXPECT_EQ(failed.exception, "failure \xC3\xA9");

  const CallResult next = instance->Invoke("Int");
  EXPECT_TRUE(next.succeeded);
  EXPECT_FALSE(next.exceptionSet);
  EXPECT_EQ(next.exception, "");

  const CallResult quiet = instance->Invoke("FailQuietly");
  EXPECT_FALSE(quiet.succeeded);
  EXPECT_FALSE(quiet.exceptionSet);
  EXPECT_EQ(AfterTeardown(), Ledger{});
}

TEST_F(TestPluginInstance, MethodWithoutSupportIsNoCall) {
  // The test plug-in's class has no invokeDefault.
  EXPECT_FALSE(instance->InvokeDefault().succeeded);
  instance->Destroy();
  EXPECT_FALSE(instance->Invoke("Int").succeeded); // no instance any more
  EXPECT_EQ(AfterTeardown(), Ledger{});
}

TEST_F(TestPluginInstance, EveryMisbehaviourIsCounted) {
  struct Case {
    const char *method;
    long Ledger::*count;
  } cases[] = {
      {"LeakBlock", &Ledger::liveBlocks},
      {"FailLeavingResult", &Ledger::liveBlocks},
      {"FreeTwice", &Ledger::badFrees},
      {"Overrun", &Ledger::overruns},
      {"LeakObject", &Ledger::liveObjects},
      {"OverRelease", &Ledger::badReleases},
      {"ForeignString", &Ledger::badVariants},
      {"LongString", &Ledger::badVariants},
  };
  ASSERT_NE(instance->ScriptableObject(), nullptr);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.method);
    const Ledger start = CurrentLedger();
    instance->Invoke(c.method);
    Ledger expected = start;
    ++(expected.*c.count);
    EXPECT_EQ(CurrentLedger(), expected);
  }
  // The plug-in still answers after each of them.
  EXPECT_EQ(instance->Invoke("Int").intValue, 42);
}

TEST_F(TestPluginInstance, LongStringIsReadOnlyToTheEndOfItsBlock) {
  const CallResult result = instance->Invoke("LongString");
  EXPECT_EQ(result.text, std::string("abc\0", 4));
}

TEST_F(TestPluginInstance, TeardownDropsTheScriptObject) {
  ASSERT_NE(instance->ScriptableObject(), nullptr);
  EXPECT_EQ(instance->ScriptableObject(), instance->ScriptableObject());
  EXPECT_EQ(CurrentLedger().liveObjects, before.liveObjects + 1);
  EXPECT_EQ(instance->Destroy(), NPERR_NO_ERROR);
  EXPECT_EQ(AfterTeardown(), Ledger{});
}

} // namespace
