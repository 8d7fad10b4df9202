// The built library in the test browser, driven the way a page drives it: the
// exports take the browser's tables, and instances come and go leaving
// nothing behind.
#include "host/BrowserHost.h"

#include "host/BuiltPluginPath.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

class HostedPluginTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    m_library = nphost::PluginLibrary::Load(nphost::BuiltPluginPath(),
                                            nphost::kPalomirMimeType, error);
    ASSERT_TRUE(m_library) << error;
  }
  void TearDown() override {
    m_library.reset();
    EXPECT_TRUE(nphost::LedgerClean())
        << nphost::DescribeLedger(nphost::CurrentLedger());
  }
  std::unique_ptr<nphost::PluginLibrary> m_library;
};

TEST_F(HostedPluginTest, TablesAreCheckedThroughTheExports) {
  struct Case {
    uint16_t size;
    uint16_t version;
    NPError expected;
  };
  for (const Case c : {Case{195, 27, NPERR_INVALID_FUNCTABLE_ERROR},
                       Case{196, 0x0100, NPERR_INCOMPATIBLE_VERSION_ERROR},
                       Case{196, 0x00FF, NPERR_NO_ERROR}}) {
    NPNetscapeFuncs table = nphost::MakeBrowserFuncs(c.size, c.version);
    EXPECT_EQ(m_library->Initialize(&table), c.expected);
  }
  NPPluginFuncs funcs = {};
  funcs.size = 59;
  EXPECT_EQ(m_library->GetEntryPoints(&funcs), NPERR_INVALID_FUNCTABLE_ERROR);
  funcs.size = 60;
  EXPECT_EQ(m_library->GetEntryPoints(&funcs), NPERR_NO_ERROR);
  EXPECT_EQ(funcs.version, 22);
  EXPECT_EQ(m_library->Shutdown(), NPERR_NO_ERROR);
}

TEST_F(HostedPluginTest, PageSeesOnlyVoidForNamesThatAreNoMethod) {
  ASSERT_EQ(m_library->Start(), NPERR_NO_ERROR);
  nphost::PluginInstance instance(*m_library);
  ASSERT_EQ(instance.New(), NPERR_NO_ERROR);
  ASSERT_EQ(instance.SetWindow(), NPERR_NO_ERROR);
  ASSERT_NE(instance.ScriptableObject(), nullptr);

  for (const char *name : {"valueOf", "getMachineID", "executeprocess", "x"}) {
    SCOPED_TRACE(name);
    const nphost::CallResult call = instance.Invoke(name);
    EXPECT_TRUE(call.succeeded);
    EXPECT_EQ(call.type, NPVariantType_Void);
    EXPECT_FALSE(call.exceptionSet);
  }
  const nphost::CallResult property = instance.GetProperty("GetMachineID");
  EXPECT_TRUE(property.succeeded);
  EXPECT_EQ(property.type, NPVariantType_Void);
  const nphost::CallResult itself = instance.InvokeDefault();
  EXPECT_TRUE(itself.succeeded);
  EXPECT_EQ(itself.type, NPVariantType_Void);
  // An identifier without a name fails the call, with no message of its own.
  const nphost::CallResult numbered =
      instance.Invoke(nphost::IntIdentifier(3), {});
  EXPECT_FALSE(numbered.succeeded);
  EXPECT_FALSE(numbered.exceptionSet);

  const char *name = nullptr;
  EXPECT_EQ(instance.GetValue(NPPVpluginNameString, &name), NPERR_NO_ERROR);
  EXPECT_STREQ(name, "NPRuntimeTest");
  EXPECT_EQ(nphost::CurrentLedger().liveBlocks, 0);
}

TEST_F(HostedPluginTest, DestroyReleasesTheRecordsReferenceOnly) {
  ASSERT_EQ(m_library->Start(), NPERR_NO_ERROR);
  const std::size_t release = offsetof(NPNetscapeFuncs, releaseobject);
  {
    nphost::PluginInstance withObject(*m_library);
    nphost::PluginInstance withoutObject(*m_library);
    ASSERT_EQ(withObject.New(), NPERR_NO_ERROR);
    ASSERT_EQ(withoutObject.New(), NPERR_NO_ERROR);
    NPObject *object = withObject.ScriptableObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->referenceCount, 2u);
    EXPECT_EQ(nphost::CurrentLedger().liveObjects, 1);

    const long callsBefore = nphost::BrowserCallCount();
    EXPECT_EQ(withoutObject.Destroy(), NPERR_NO_ERROR);
    EXPECT_EQ(nphost::BrowserCallCount(), callsBefore);

    const long releasesBefore = nphost::BrowserCallCount(release);
    EXPECT_EQ(withObject.Destroy(), NPERR_NO_ERROR);
    EXPECT_EQ(nphost::BrowserCallCount(release), releasesBefore + 1);
  }
  EXPECT_EQ(nphost::CurrentLedger().liveObjects, 0);
}

TEST_F(HostedPluginTest, CommandsLeaveNoBlockBehind) {
  // Whatever the two commands answer here, their answers are the browser's
  // to free and nothing else stays allocated.
  ASSERT_EQ(m_library->Start(), NPERR_NO_ERROR);
  nphost::PluginInstance instance(*m_library);
  ASSERT_EQ(instance.New(), NPERR_NO_ERROR);
  ASSERT_EQ(instance.SetWindow(), NPERR_NO_ERROR);
  const nphost::CallResult launched = instance.InvokeStrings(
      "ExecuteProcess", {"C:\\no\\such\\program.exe", "--flag"});
  EXPECT_TRUE(launched.succeeded);
  EXPECT_EQ(nphost::CurrentLedger().liveBlocks, 0);
  const nphost::CallResult machine = instance.Invoke("GetMachineID");
  EXPECT_TRUE(machine.succeeded);
  EXPECT_EQ(nphost::CurrentLedger().liveBlocks, 0);
  if (machine.type == NPVariantType_String)
    EXPECT_EQ(machine.text.rfind("{\"result\": \"", 0), 0u) << machine.text;
}

} // namespace
